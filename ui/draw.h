// Small GDI painters. All draw into a surface's memory DC in the coordinates
// set there; brushes are made and deleted per call.
#pragma once
#include <windows.h>
#include "ui/surface.h"
#include "ui/font.h"

// The program always names the wide call itself; our TextOut is the helper below.
#undef TextOut

void FillSolid(Surface* s, const RECT& r, COLORREF c);
void FillGradientV(Surface* s, const RECT& r, COLORREF top, COLORREF bottom);
void FillGradientH(Surface* s, const RECT& r, COLORREF left, COLORREF right);
void LineV(Surface* s, int x, int y, int length, COLORREF c);
void LineH(Surface* s, int x, int y, int length, COLORREF c);
// Top and left edges light, bottom and right dark.
void Frame(Surface* s, int x, int y, int w, int h, COLORREF light, COLORREF dark);
// Two-level edge of a w x h box at the origin; pressed swaps the sides.
void Frame3D(Surface* s, int w, int h, bool pressed, COLORREF light, COLORREF dark, COLORREF shadow);
// Draws nothing and returns false for an empty or absent text.
bool TextOut(Surface* s, const wchar_t* text, int x, int y, const RECT* clip = nullptr);
bool TextOut(Surface* s, const wchar_t* text, int length, int x, int y, const RECT* clip);
bool TextOutLimited(Surface* s, const wchar_t* text, int x, int y);
// Text that ends at `right`, drawn left-aligned from its measured width with
// each glyph at its measured advance: the font engine's own placement can run
// a few pixels wider than the measure, which the clip would cut off.
bool TextOutRight(Surface* s, const wchar_t* text, int length, int right, int y, const RECT* clip);
SIZE TextSize(Surface* s, const wchar_t* text, int length);
int FontHeight(Surface* s, HFONT font);

// A COLORREF as the 16-bit channels GradientFill wants.
TRIVERTEX Vertex(int x, int y, COLORREF c);
