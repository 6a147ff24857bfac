#pragma once

#include <functional>

// Whether Caps Lock is toggled on, asked of the windowing system. Where
// the system cannot tell (offscreen, Wayland) the answer is false.
namespace OrvCapsLock {

bool isOn();

// Replaces the windowing system's answer (tests); an empty function
// restores it.
void setProbe(std::function<bool()> probe);

} // namespace OrvCapsLock
