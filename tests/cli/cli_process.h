#pragma once

#include <string>
#include <vector>

/// Path of the vxm90-cli binary under test.
inline const std::string kCliPath = VXM_CLI_PATH;

struct ProcessResult {
    int status = -1;  ///< exit status, or -1 when the shell did not exit normally
    std::string out;
    std::string err;
};

/// Runs a shell command line with `input` on its standard input; collects both outputs.
ProcessResult runShell(const std::string& commandLine, const std::string& input = {});

/// Quotes a word for the shell.
std::string shellQuote(const std::string& word);

/// Splits text into lines at LF (a last line without LF counts; no empty last line).
std::vector<std::string> splitLines(const std::string& text);

/// A fresh empty folder under the test binary's temporary area, removed by the destructor.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
bool fileExists(const std::string& path);
