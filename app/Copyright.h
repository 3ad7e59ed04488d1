#pragma once
// The copyright line of the About box and of the build-information box.

inline constexpr char kCopyrightLine[] = "版权所有 (C) 2026 Kelvaro";
