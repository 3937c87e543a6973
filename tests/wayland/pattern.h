/* The picture that the pattern client shows on the whole 640 x 480 monitor: every pixel has a
 * colour of its own, and none is black. Red is x and green is y (both modulo 256), so that
 * neighbouring pixels differ in both; blue holds the high bits of x and y. C and C++. */
#ifndef HUECLIP_TESTS_WAYLAND_PATTERN_H
#define HUECLIP_TESTS_WAYLAND_PATTERN_H

enum { kPatternWidth = 640, kPatternHeight = 480 };

/* 0xRRGGBB at (x, y) of the monitor. */
static inline int PatternAt(int x, int y) {
  return (x & 255) << 16 | (y & 255) << 8 | (0x80 | (x >> 8) << 5 | (y >> 8) << 4);
}

#endif
