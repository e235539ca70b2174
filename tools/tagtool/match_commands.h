// tagtool match, test and check: the editor's match-pattern reader and
// document checks, for scripts and CI.
#pragma once

#include <string>
#include <vector>

namespace lumaset {

// One "PATTERN-HEX / SAMPLE-HEX" case a line on standard input, one answer
// a line, each written before the next case is read. 2 for a bad line.
int runMatchHex();

// The sample against every user syntax, or the one at `syntaxPath` (UTF-8)
// when it is not empty. 0 when a syntax matched, 1 when none did, 2 when a
// file cannot be read.
int runTestSample(const std::string& tagFile, const std::string& sampleFile,
                  const std::string& syntaxPath);

// The problems of each file, one a line. 0 for none, 1 for some, 2 when a
// file cannot be read.
int runCheckFiles(const std::vector<std::string>& files);

}  // namespace lumaset
