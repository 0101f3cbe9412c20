#include "ManPage.h"

#include <cctype>
#include <sstream>
#include <vector>

namespace leafmark::manpage {
namespace {

// Characters that roff would read as its own: the escape character and the
// hyphen (an option's "-" must stay a minus sign to be searched for and pasted).
std::string escapeText(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    return out;
}

// A line that starts with "." or "'" would be a roff request: guard it.
std::string guardLine(const std::string& line) {
    if (!line.empty() && (line[0] == '.' || line[0] == '\'')) return "\\&" + line;
    return line;
}

// **bold**, *italic* and `literal` into font changes; everything else escaped.
std::string inlineMarkup(const std::string& text) {
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        std::string open;
        size_t skip = 0;
        if (text.compare(i, 2, "**") == 0) {
            open = "**";
            skip = 2;
        } else if (text[i] == '*' || text[i] == '`') {
            open = std::string(1, text[i]);
            skip = 1;
        }
        if (skip) {
            const size_t end = text.find(open, i + skip);
            if (end != std::string::npos && end > i + skip) {
                const char* font = open == "*" ? "\\fI" : "\\fB";
                out += font + escapeText(text.substr(i + skip, end - i - skip)) + "\\fR";
                i = end + skip;
                continue;
            }
        }
        out += escapeText(text.substr(i, 1));
        ++i;
    }
    return out;
}

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string trimRight(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.pop_back();
    return s;
}

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

struct Title {
    std::string name, section, summary;
};

// "# name(1) -- summary": a name of letters, digits, ".", "_" and "-", a
// one-digit section, and a summary that is not empty.
bool parseTitle(const std::string& line, Title* title) {
    if (line.rfind("# ", 0) != 0) return false;
    const size_t open = line.find('(', 2);
    if (open == std::string::npos || open == 2 || line.size() < open + 8) return false;
    for (size_t i = 2; i < open; ++i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        if (!std::isalnum(c) && c != '.' && c != '_' && c != '-') return false;
    }
    if (!std::isdigit(static_cast<unsigned char>(line[open + 1])) ||
        line.compare(open + 2, 5, ") -- ") != 0)
        return false;
    title->name = line.substr(2, open - 2);
    title->section = line.substr(open + 1, 1);
    title->summary = line.substr(open + 7);
    return !title->summary.empty();
}

}  // namespace

std::string toRoff(const std::string& markdown, const std::string& source, std::string* error) {
    std::vector<std::string> lines;
    {
        std::istringstream in(markdown);
        for (std::string l; std::getline(in, l);) lines.push_back(trimRight(l));
    }
    Title title;
    if (lines.empty() || !parseTitle(lines[0], &title)) {
        if (error) *error = "the first line must be \"# name(section) -- summary\"";
        return {};
    }
    std::ostringstream out;
    out << ".TH " << upper(title.name) << ' ' << title.section << " \"\" "
        << quoted(escapeText(source)) << ' ' << quoted("User Commands") << '\n';
    out << ".SH NAME\n" << escapeText(title.name) << " \\- " << inlineMarkup(title.summary) << '\n';

    bool inParagraph = false;  // text lines follow each other in one paragraph
    bool needBreak = false;    // a blank line was seen: the next text starts a new paragraph
    bool afterHeading = true;
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.rfind("```", 0) == 0) {
            out << (afterHeading ? "" : ".PP\n") << ".RS 4\n.nf\n";
            for (++i; i < lines.size() && lines[i].rfind("```", 0) != 0; ++i)
                out << guardLine(escapeText(lines[i])) << '\n';
            out << ".fi\n.RE\n";
            inParagraph = false;
            needBreak = true;
            afterHeading = false;
            continue;
        }
        if (line.empty()) {
            needBreak = inParagraph || needBreak;
            inParagraph = false;
            continue;
        }
        if (line.rfind("### ", 0) == 0 || line.rfind("## ", 0) == 0) {
            const bool sub = line[2] == '#';
            out << (sub ? ".SS " : ".SH ") << quoted(escapeText(upper(line.substr(sub ? 4 : 3))))
                << '\n';
            inParagraph = needBreak = false;
            afterHeading = true;
            continue;
        }
        std::string text = line;
        if (i + 1 < lines.size() && lines[i + 1].rfind(":", 0) == 0) {
            out << ".TP\n" << guardLine(inlineMarkup(text)) << '\n';
            inParagraph = true;
            needBreak = false;
            afterHeading = false;
            text = lines[++i].substr(1);
            text.erase(0, text.find_first_not_of(' '));
        } else if (line.rfind("- ", 0) == 0) {
            out << ".IP \\(bu 2\n";
            text = line.substr(2);
            inParagraph = true;
            needBreak = false;
        } else if (!inParagraph) {
            if (!afterHeading && needBreak) out << ".PP\n";
            inParagraph = true;
            needBreak = false;
        }
        afterHeading = false;
        text.erase(0, text.find_first_not_of(' '));
        const bool hardBreak = !text.empty() && text.back() == '\\';
        if (hardBreak) text = trimRight(text.substr(0, text.size() - 1));
        out << guardLine(inlineMarkup(text)) << '\n';
        if (hardBreak) out << ".br\n";
    }
    return out.str();
}

}  // namespace leafmark::manpage
