// The work the match benchmarks time: a 25x80 screen of a bulletin-board
// session and a 255-syntax document's patterns, in cp932, shared by the
// native benchmark and the timing under Wine.
#pragma once

#include <string>
#include <vector>

namespace lumaset::bench {

// 25 lines of 80 bytes, LF between them.
inline std::string sessionScreen() {
    static const char* const kLines[] = {
        "\x82""\xE6""\x82""\xA4""\x82""\xB1""\x82""\xBB"" \x91""\x90""\x82""\xCC""\x8D""\xAA"" \x83""l\x83""b\x83""g\x82""\xD6""                                                        ",
        "\x82""h\x82""c\x82""\xF0""\x93""\xFC""\x97""\xCD""\x82""\xB5""\x82""\xC4""\x82""\xAD""\x82""\xBE""\x82""\xB3""\x82""\xA2""\x81""Fguest                                                   ",
        "\x83""p\x83""X\x83""\x8F""\x81""[\x83""h\x81""F                                                                    ",
        "\x81""\x96""\x81""\x96"" \x83""\x81""\x83""C\x83""\x93""\x83""\x81""\x83""j\x83""\x85""\x81""[ \x81""\x96""\x81""\x96""                                                        ",
        "12\x8C""\x8F""\x82""\xCC""\x96""\xA2""\x93""\xC7""\x82""\xAA""\x82""\xA0""\x82""\xE8""\x82""\xDC""\x82""\xB7""                                                            ",
        " \x94""\xD4""\x8D""\x86""  \x8C""f\x8E""\xA6""\x94""\xC2""\x96""\xBC""                                                                 ",
        " 1  \x8E""G\x92""k                                                                        ",
        " 2  \x83""p\x83""\x5C""\x83""R\x83""\x93""\x92""\xCA""\x90""M\x82""\xCC""\x98""b                                                            ",
        "\x81""y\x8E""G\x92""k\x81""z 34\x8C""\x8F""                                                                   ",
        "123/456 taro \x91""\x90""\x82""\xCC""\x8D""\xAA""\x82""\xCC""\x89""\xEF""                                                         ",
        "\x93""\xFA""\x8E""\x9E"" 2026/12/09 12:00                                                           ",
        "  \x82""\xB1""\x82""\xF1""\x82""\xC9""\x82""\xBF""\x82""\xCD""\x81""A\x8D""\xA1""\x93""\xFA""\x82""\xCD""\x8A""\xA6""\x82""\xA2""\x82""\xC5""\x82""\xB7""\x82""\xCB""\x81""B                                                ",
        "> \x8D""\xF0""\x93""\xFA""\x82""\xCC""\x94""\xAD""\x8C""\xBE""\x82""\xD6""\x82""\xCC""\x95""\xD4""\x8E""\x96""\x82""\xC5""\x82""\xB7""\x81""B                                                      ",
        "  \x82""\xBB""\x82""\xA4""\x82""\xC5""\x82""\xB7""\x82""\xCB""\x81""B                                                                  ",
        "124 \x82""\xD6""\x82""\xCC"" \x83""R\x83""\x81""\x83""\x93""\x83""g hanako                                                        ",
        "\x81""\x96""\x93""d\x95""\xF1""\x81""\x96"" jiro \x82""\xA9""\x82""\xE7""\x81""F\x82""\xA0""\x82""\xC6""\x82""\xC5""\x98""b\x82""\xBB""\x82""\xA4""                                                ",
        "\x89""\xE6""\x96""\xCA""\x82""\xCC""\x95""\x5C""\x8E""\xA6""\x90""\xDD""\x92""\xE8""                                                                  ",
        "\x82""\xE6""\x82""\xA4""\x82""\xB1""\x82""\xBB"" \x91""\x90""\x82""\xCC""\x8D""\xAA"" \x83""l\x83""b\x83""g\x82""\xD6""                                                        ",
        "\x82""h\x82""c\x82""\xF0""\x93""\xFC""\x97""\xCD""\x82""\xB5""\x82""\xC4""\x82""\xAD""\x82""\xBE""\x82""\xB3""\x82""\xA2""\x81""Fguest                                                   ",
        "\x83""p\x83""X\x83""\x8F""\x81""[\x83""h\x81""F                                                                    ",
        "\x81""\x96""\x81""\x96"" \x83""\x81""\x83""C\x83""\x93""\x83""\x81""\x83""j\x83""\x85""\x81""[ \x81""\x96""\x81""\x96""                                                        ",
        "12\x8C""\x8F""\x82""\xCC""\x96""\xA2""\x93""\xC7""\x82""\xAA""\x82""\xA0""\x82""\xE8""\x82""\xDC""\x82""\xB7""                                                            ",
        " \x94""\xD4""\x8D""\x86""  \x8C""f\x8E""\xA6""\x94""\xC2""\x96""\xBC""                                                                 ",
        " 1  \x8E""G\x92""k                                                                        ",
        " 2  \x83""p\x83""\x5C""\x83""R\x83""\x93""\x92""\xCA""\x90""M\x82""\xCC""\x98""b                                                            ",
    };
    std::string screen;
    for (const char* line : kLines) {
        if (!screen.empty()) screen += '\n';
        screen += line;
    }
    return screen;
}

// The example document's patterns.
inline const std::vector<std::string>& examplePatterns() {
    static const std::vector<std::string> kPatterns = {
        "^\x82""\xE6""\x82""\xA4""\x82""\xB1""\x82""\xBB"" \x5C""f.*\x5C""f \x83""l\x83""b\x83""g\x82""\xD6""",
        "^\x82""h\x82""c\x82""\xF0""\x93""\xFC""\x97""\xCD""\x82""\xB5""\x82""\xC4""\x82""\xAD""\x82""\xBE""\x82""\xB3""\x82""\xA2""\x81""F",
        "^\x83""p\x83""X\x83""\x8F""\x81""[\x83""h\x81""F",
        "^\x82""h\x82""c\x82""\xA9""\x83""p\x83""X\x83""\x8F""\x81""[\x83""h\x82""\xAA""\x88""\xE1""\x82""\xA2""\x82""\xDC""\x82""\xB7""",
        "^\x81""\x96""\x81""\x96"" \x83""\x81""\x83""C\x83""\x93""\x83""\x81""\x83""j\x83""\x85""\x81""[ \x81""\x96""\x81""\x96""\x5C""n^\x5C""f[0-9]+\x5C""f\x8C""\x8F""\x82""\xCC""\x96""\xA2""\x93""\xC7""",
        "^ \x94""\xD4""\x8D""\x86""  \x8C""f\x8E""\xA6""\x94""\xC2""\x96""\xBC""\x5C""n^\x5C""f[0-9]+\x5C""f  \x5C""f.*\x5C""f$",
        "^\x81""y\x5C""f.*\x5C""f\x81""z \x5C""f[0-9]+\x5C""f\x8C""\x8F""",
        "^\x5C""f[0-9]+\x5C""f/\x5C""f[0-9]+\x5C""f \x5C""f[^ ]+\x5C""f\x5C""n^\x93""\xFA""\x8E""\x9E"" \x5C""f[0-9/]+ [0-9:]+\x5C""f",
        "^  .*",
        "^> .*",
        "^\x5C""f[0-9]+\x5C""f \x82""\xD6""\x82""\xCC"" \x83""R\x83""\x81""\x83""\x93""\x83""g \x5C""f[^ ]+\x5C""f",
        "^\x89""\xE6""\x96""\xCA""\x82""\xCC""\x95""\x5C""\x8E""\xA6""\x90""\xDD""\x92""\xE8""",
        "^\x81""\x96""\x93""d\x95""\xF1""\x81""\x96"" \x5C""f[^ ]+\x5C""f \x82""\xA9""\x82""\xE7""\x81""F\x5C""f.*\x5C""f$",
        "^\x82""\xB2""\x97""\x98""\x97""p\x82""\xA0""\x82""\xE8""\x82""\xAA""\x82""\xC6""\x82""\xA4""\x82""\xB2""\x82""\xB4""\x82""\xA2""\x82""\xDC""\x82""\xB5""\x82""\xBD""",
    };
    return kPatterns;
}

// 252 user syntaxes: the example's patterns, then variants of them with an
// alternative that no screen line has, as a large document's would.
inline std::vector<std::string> documentPatterns() {
    std::vector<std::string> out;
    const std::vector<std::string>& base = examplePatterns();
    for (std::size_t i = 0; i < 252; ++i) {
        std::string p = base[i % base.size()];
        if (i >= base.size()) p += "|^no " + std::to_string(i) + " such line";
        out.push_back(p);
    }
    return out;
}

}  // namespace lumaset::bench
