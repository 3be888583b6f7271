#pragma once
// The program's version as players see it: in the caption, in exports and in --version.
inline constexpr char kVersionText[] = "1.08.0";
