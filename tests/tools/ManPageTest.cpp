// Manual pages from their Markdown sources: roff's own characters never reach
// the formatter unescaped, and the page's parts come out as the man macros.
#include <gtest/gtest.h>

#include "ManPage.h"

using leafmark::manpage::toRoff;

TEST(ManPage, SourceBecomesManMacrosWithRoffCharactersEscaped) {
    const std::string source =
        "# leafmark-x(1) -- try *pages*\n"
        "\n"
        "## Synopsis\n"
        "\n"
        "**leafmark-x** [**--json**] *FILE*...\\\n"
        "**leafmark-x** **--help**\n"
        "\n"
        "## DESCRIPTION\n"
        "\n"
        "First paragraph with a C:\\path and\n"
        ".a line that looks like a request.\n"
        "\n"
        "'quoted start, `[Setup]` and a lone * star.\n"
        "\n"
        "- one item\n"
        "\n"
        "```\n"
        "leafmark-x .hidden\n"
        "```\n"
        "\n"
        "## OPTIONS\n"
        "\n"
        "**--jobs** *N*\n"
        ":   Work on N pages\n"
        "    at a time.\n";
    std::string error;
    const std::string roff = toRoff(source, "Leafmark 1.1.1016", &error);
    EXPECT_EQ(roff,
              ".TH LEAFMARK-X 1 \"\" \"Leafmark 1.1.1016\" \"User Commands\"\n"
              ".SH NAME\n"
              "leafmark\\-x \\- try \\fIpages\\fR\n"
              ".SH \"SYNOPSIS\"\n"
              "\\fBleafmark\\-x\\fR [\\fB\\-\\-json\\fR] \\fIFILE\\fR...\n"
              ".br\n"
              "\\fBleafmark\\-x\\fR \\fB\\-\\-help\\fR\n"
              ".SH \"DESCRIPTION\"\n"
              "First paragraph with a C:\\epath and\n"
              "\\&.a line that looks like a request.\n"
              ".PP\n"
              "\\&'quoted start, \\fB[Setup]\\fR and a lone * star.\n"
              ".IP \\(bu 2\n"
              "one item\n"
              ".PP\n"
              ".RS 4\n.nf\n"
              "leafmark\\-x .hidden\n"
              ".fi\n.RE\n"
              ".SH \"OPTIONS\"\n"
              ".TP\n"
              "\\fB\\-\\-jobs\\fR \\fIN\\fR\n"
              "Work on N pages\n"
              "at a time.\n");
    EXPECT_TRUE(error.empty());

    EXPECT_EQ(toRoff("leafmark-x - no title line\n", "Leafmark", &error), "");
    EXPECT_FALSE(error.empty());
}
