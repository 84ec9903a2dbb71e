// The 42 emoticon text forms a chat line may contain, in panel order; the entry at index i is drawn
// with the image resource "e<i>".
#pragma once

#include <string>
#include <vector>

namespace zelvan {

constexpr int kEmoticonCount = 42;

// The process-wide list of emoticon texts, built once on first use and kept for the process's life.
const std::vector<std::string>& emoticonTextList();

// The image resource name of emoticon `index` ("e0" to "e41").
std::string emoticonImageName(int index);

} // namespace zelvan
