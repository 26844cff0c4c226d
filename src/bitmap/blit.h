#pragma once

#include "bitmap/blend_mode.h"
#include "bitmap/pixel_bitmap.h"
#include "base/geometry.h"

#include <cstdint>

// Compositing into PixelBitmaps. Every routine clips to both bitmaps and returns without
// effect when given nothing to draw: an absent bitmap or storage, zero weight, an empty
// or fully clipped area, or a mode it does not draw. alpha is a float weight, 1.0 = full.

// Copies or combines srcRect of src (the whole of src when null) to (destX, destY).
void BlitBitmap(PixelBitmap* dest, const PixelBitmap* src, int destX, int destY,
                const IPlugRect* srcRect, float alpha, BlendMode mode);

// BlitBitmap of the rectangle (srcX, srcY, srcX + srcWidth, srcY + srcHeight).
void BlitBitmapArea(PixelBitmap* dest, const PixelBitmap* src, int destX, int destY, int srcX,
                    int srcY, int srcWidth, int srcHeight, float alpha, BlendMode mode);

// Combines the pixel word colour into a rectangle. With BLEND_SOURCE_ALPHA the colour's
// own alpha scales the weight.
void FillRectangle(PixelBitmap* dest, int x, int y, int width, int height, std::uint32_t colour,
                   float alpha, BlendMode mode);

// Draws the source rectangle turned by angle (radians) about its centre plus the rotation
// offset, scaled into the destination rectangle; a negative destination width or height
// mirrors. BLEND_BILINEAR in mode selects bilinear sampling.
void BlitRotated(PixelBitmap* dest, const PixelBitmap* src, int destX, int destY, int destWidth,
                 int destHeight, float srcX, float srcY, float srcWidth, float srcHeight,
                 float angle, bool clipToSourceRect, float alpha, BlendMode mode,
                 float rotationOffsetX = 0.0f, float rotationOffsetY = 0.0f);

// A one-pixel line between two inclusive end points in the colour word, combined with the
// operation in mode's low byte (0..5).
void DrawLineSegment(PixelBitmap* dest, int x1, int y1, int x2, int y2, std::uint32_t colour,
                     float alpha, BlendMode mode, bool antialias);

// Softens an area with a fixed 3 x 3 kernel, writing it at (destX, destY). dest may be
// src itself.
void BlurRegion(PixelBitmap* dest, const PixelBitmap* src, int destX, int destY, int srcX, int srcY,
                int srcWidth, int srcHeight);
