#include "cli/CommandLine.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace leafmark::cli {

CommandLine::CommandLine(std::vector<Option> options) : options_(std::move(options)) {
    options_.push_back({"help", 'h', false});
    options_.push_back({"version", 0, false});
}

const Option* CommandLine::find(const std::string& name) const {
    for (const Option& o : options_)
        if (o.name == name) return &o;
    return nullptr;
}

const Option* CommandLine::find(char letter) const {
    for (const Option& o : options_)
        if (letter != 0 && o.letter == letter) return &o;
    return nullptr;
}

bool CommandLine::parse(int argc, const char* const* argv) {
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            positional_.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const Option* option = nullptr;
        std::optional<std::string> inlineValue;
        std::string shown = arg;
        if (arg[1] == '-') {
            const std::size_t eq = arg.find('=');
            shown = arg.substr(0, eq);
            option = find(arg.substr(2, eq == std::string::npos ? std::string::npos : eq - 2));
            if (eq != std::string::npos) inlineValue = arg.substr(eq + 1);
        } else {
            shown = arg.substr(0, 2);
            option = find(arg[1]);
            if (arg.size() > 2) inlineValue = arg.substr(2);
        }
        if (!option) {
            error_ = "unknown option " + shown;
            return false;
        }
        if (!option->takesValue && inlineValue) {
            error_ = shown + " takes no value";
            return false;
        }
        if (option->takesValue && !inlineValue) {
            if (i + 1 >= argc) {
                error_ = shown + " needs a value";
                return false;
            }
            inlineValue = argv[++i];
        }
        values_[option->name] = inlineValue.value_or(std::string());
    }
    return true;
}

std::optional<std::string> CommandLine::value(const std::string& name) const {
    const auto it = values_.find(name);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

std::string versionLine(const std::string& program) { return program + " " LEAFMARK_VERSION_TEXT; }

std::optional<double> finiteNumber(const std::string& text) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text.front()))) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || errno == ERANGE || !std::isfinite(v))
        return std::nullopt;
    return v;
}

namespace {

// Length of the valid UTF-8 sequence starting at s[i], or 0 when it is not valid.
std::size_t utf8Length(const std::string& s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c < 0x80         ? 1
                          : (c >> 5) == 6  ? 2
                          : (c >> 4) == 14 ? 3
                          : (c >> 3) == 30 ? 4
                                           : 0;
    if (n == 0 || i + n > s.size()) return 0;
    char32_t v = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
    for (std::size_t k = 1; k < n; ++k) {
        if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return 0;
        v = (v << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8 either.
    constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (v < kShortest[n] || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return 0;
    return n;
}

}  // namespace

std::string escaped(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t n = utf8Length(s, i);
        if (n == 0) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\udc%02x", c);
            out += buf;
            ++i;
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out.append(s, i, n);
        }
        i += n;
    }
    return out;
}

}  // namespace leafmark::cli
