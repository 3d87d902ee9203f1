#pragma once

// A point of the reference rectangle, in percent of its width and height.
// Values outside 0..100 are allowed and used as they are.
struct Anchor {
    int x = 0;
    int y = 0;

    friend constexpr bool operator==(const Anchor&, const Anchor&) = default;
};

inline constexpr Anchor ANCHOR_TOP_LEFT{0, 0};
inline constexpr Anchor ANCHOR_TOP_CENTER{50, 0};
inline constexpr Anchor ANCHOR_TOP_RIGHT{100, 0};
inline constexpr Anchor ANCHOR_MIDDLE_LEFT{0, 50};
inline constexpr Anchor ANCHOR_MIDDLE_CENTER{50, 50};
inline constexpr Anchor ANCHOR_MIDDLE_RIGHT{100, 50};
inline constexpr Anchor ANCHOR_BOTTOM_LEFT{0, 100};
inline constexpr Anchor ANCHOR_BOTTOM_CENTER{50, 100};
inline constexpr Anchor ANCHOR_BOTTOM_RIGHT{100, 100};

// "No second anchor": as the bottom-right anchor it stands for the top-left one,
// so the control keeps its size.
inline constexpr Anchor ANCHOR_NONE{-1, -1};
