// Small enumerations shared across the view system's public API: boolean parameters at API
// boundaries are spelled as enums so call sites read `Animated::Yes` rather than `true`.
#pragma once

namespace ui {

enum class Animated { No = 0, Yes = 1 };

// Whether `endEditing` resigns the first responder without asking it.
enum class Force { No = 0, Yes = 1 };

} // namespace ui
