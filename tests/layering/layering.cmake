# The folders of the program and what each may include besides itself. A folder named here
# covers its subfolders unless they have a line of their own. tests/ and bench/ may include
# anything; nothing else may include a folder that is not on its line.
set(kLayers
    "decode:"
    "log:decode"
    "files:decode log"
    "session:decode log"
    "journal:decode log"
    "sim:decode"
    "ui:decode log files"
    "link/serial:decode ui"
    "link/hid:decode sim ui"
    "report:decode log files ui"
    "app/lcd:decode log ui"
    "app/chart:decode log ui"
    "app/grid:decode log files ui"
    "app/limits:decode log ui"
    "app/shell:decode log files session journal ui link report app/lcd app/chart app/grid app/limits"
    "app:decode log files session journal ui link report app/shell"
    "cli:decode log files session journal sim link ui report"
)
