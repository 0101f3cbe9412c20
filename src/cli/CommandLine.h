#pragma once
// The command-line conventions of Leafmark's tools: "--name value" and
// "--name=value", one-letter forms ("-j 2", "-j2", "-q"), "--" ending the
// options, --help/-h and --version. Unknown options are errors; the caller
// prints them on standard error and exits with status 2.

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace leafmark::cli {

struct Option {
    std::string name;  // long name without "--"
    char letter = 0;   // one-letter form, 0 for none
    bool takesValue = false;
};

class CommandLine {
  public:
    // --help/-h and --version are always known.
    explicit CommandLine(std::vector<Option> options);

    // False with error() set on an unknown option or a missing value.
    bool parse(int argc, const char* const* argv);
    const std::string& error() const { return error_; }

    bool has(const std::string& name) const { return values_.count(name) != 0; }
    // The last value given for `name`.
    std::optional<std::string> value(const std::string& name) const;
    const std::vector<std::string>& positional() const { return positional_; }

  private:
    const Option* find(const std::string& name) const;
    const Option* find(char letter) const;

    std::vector<Option> options_;
    std::map<std::string, std::string> values_;
    std::vector<std::string> positional_;
    std::string error_;
};

// "<program> <version>" for --version.
std::string versionLine(const std::string& program);

// A finite number making up the whole text; nullopt for anything else ("inf",
// "nan", "2cm", "").
std::optional<double> finiteNumber(const std::string& text);

// Text safe for one output line (and for JSON): quotes, backslashes and control
// characters escaped, so a name with a newline cannot forge a line. A byte that
// is not UTF-8 is written as "\udcXX" (XX its value), which keeps the line valid
// UTF-8 and JSON and the name's bytes recoverable.
std::string escaped(const std::string& s);

}  // namespace leafmark::cli
