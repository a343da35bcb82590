#pragma once

#include <cstdio>
#include <optional>
#include <regex>
#include <string>
#include <vector>

/// A word of a PDF page as poppler's pdftotext finds it, in millimetres from the page's
/// top-left corner (the PDF's own text and positions, not what the program meant to draw).
struct PdfWord {
    std::string text;
    double left = 0, top = 0, right = 0, bottom = 0;
};

struct PdfPage {
    double width = 0, height = 0;  ///< millimetres
    std::vector<PdfWord> words;
    /// The words whose text is `text`, top to bottom as they stand in the page.
    std::vector<PdfWord> find(const std::string& text) const {
        std::vector<PdfWord> found;
        for (const PdfWord& w : words)
            if (w.text == text) found.push_back(w);
        return found;
    }
};

namespace pdf_words_detail {

inline std::string unescape(std::string text) {
    const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}};
    for (const auto& [entity, plain] : entities) {
        for (std::size_t at; (at = text.find(entity)) != std::string::npos;)
            text.replace(at, std::char_traits<char>::length(entity), plain);
    }
    return text;
}

inline double toMillimetres(const std::string& points) {
    return std::stod(points) * 25.4 / 72.0;
}

}  // namespace pdf_words_detail

/// Every page of the PDF file with its words, read with `pdftotext -bbox`; std::nullopt when
/// pdftotext fails (no such file, not a PDF, poppler-utils missing).
inline std::optional<std::vector<PdfPage>> readPdfWords(const std::string& pdfFile) {
    using namespace pdf_words_detail;
    std::string quoted = "'";
    for (const char c : pdfFile)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    quoted += "'";
    FILE* pipe = popen(("pdftotext -bbox " + quoted + " - 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) return std::nullopt;
    std::string html;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        html.append(buffer, n);
    if (pclose(pipe) != 0) return std::nullopt;

    std::vector<PdfPage> pages;
    const std::string page = R"re(<page width="([0-9.]+)" height="([0-9.]+)">)re";
    const std::string word =
        R"re(<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)" yMax="([0-9.]+)">([^<]*)</word>)re";
    const std::regex either(page + "|" + word);
    for (auto it = std::sregex_iterator(html.begin(), html.end(), either);
         it != std::sregex_iterator(); ++it) {
        const std::smatch& m = *it;
        if (m[1].matched) {
            pages.push_back({toMillimetres(m[1]), toMillimetres(m[2]), {}});
        } else if (!pages.empty()) {
            pages.back().words.push_back({unescape(m[7]), toMillimetres(m[3]), toMillimetres(m[4]),
                                          toMillimetres(m[5]), toMillimetres(m[6])});
        }
    }
    return pages;
}
