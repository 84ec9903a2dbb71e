// The two ways the leaderboard writes a score: a grouped integer ("1,002,003") and a time of hours,
// minutes and seconds ("01:02:05"). The panel, the screen, the score card and the submit dialog share them.
#pragma once

#include <string>

namespace zelvan::orvane {

// The integer with "," between groups of three digits, every group after the first padded with zeros:
// 1234 gives "1,234", 1002003 gives "1,002,003", 999 gives "999"; a negative number is "-" and its
// grouped magnitude.
std::string formatString(int value);

// Seconds as "HH:MM:SS", each part at least two digits and the hours unbounded: 59 gives "00:00:59",
// 3725 gives "01:02:05", 360000 gives "100:00:00"; a negative count is "-" and the time of its magnitude.
std::string formatTime(int seconds);

} // namespace zelvan::orvane
