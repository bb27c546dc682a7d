#pragma once
// Positions and sizes in pixels at 96 dots per inch. Forms drawn in twips convert once, where
// their controls are declared, so the numbers stay those of the form's table.

namespace vel::forms {

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Rect&) const = default;
};

struct Size {
  int width = 0;
  int height = 0;
  bool operator==(const Size&) const = default;
};

// 1440 twips to the inch, 96 pixels to the inch.
constexpr int kTwipsPerPixel = 15;

// Pixels from twips, rounded to the nearest pixel (halves away from zero).
constexpr int twips(int t) {
  return t >= 0 ? (t + kTwipsPerPixel / 2) / kTwipsPerPixel
                : -((-t + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

constexpr Rect twipsRect(int left, int top, int width, int height) {
  return {twips(left), twips(top), twips(width), twips(height)};
}

}  // namespace vel::forms
