#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vemo::test {

// A log's text as lines, without their line ends.
std::vector<std::string> linesOf(const std::string& text);
// Whether the text, or the list of lines, holds this whole line.
bool hasLine(const std::string& text, const std::string& line);
bool hasLine(const std::vector<std::string>& lines, const std::string& line);
// Occurrences of a frame ("61 0C 03 70") in the deck simulator's log of received frames.
int countFrames(const std::string& log, const std::string& frame);
// Where the deck was, in frames against the out point, at the stop that followed the last
// play frame of the simulator's log (negative: before it); nothing without such a stop.
std::optional<int> haltAgainst(const std::string& log, int outFrames);

}  // namespace vemo::test
