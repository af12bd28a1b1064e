#include "ui/list_view_parts.h"
#include "ui/draw.h"
#include <stdio.h>

static const COLORREF kSolidBar = 0x966400;  // the current row's solid bar

// ---- painting -------------------------------------------------------------

static void DrawCellText(ListView* l, const ListCell& cell, const ListColumn& col, const RECT& r, int ty) {
    Surface* s = &l->surface;
    int n = (int)wcslen(cell.text);
    if (col.type == ColumnFileName && cell.ownsText && cell.textWidth <= r.right - r.left) {
        const wchar_t* dot = wcsrchr(cell.text, L'.');
        if (dot && dot != cell.text) {
            int stem = (int)(dot - cell.text);
            TextOut(s, cell.text, stem, r.left, ty, &r);
            TextOutRight(s, dot + 1, n - stem - 1, r.right, ty, &r);
            return;
        }
    }
    int tx = r.left;
    if (col.alignment == TA_RIGHT) tx = r.right;
    else if (col.alignment == TA_CENTER) tx = (r.left + r.right) / 2;
    SetTextAlign(s->memoryDC, col.alignment | TA_TOP);
    TextOut(s, cell.text, n, tx, ty, &r);
    SetTextAlign(s->memoryDC, TA_LEFT | TA_TOP);
}

static void DrawRow(ListView* l, int row, int ry, int rowsBottom, const TEXTMETRICW& tm) {
    Surface* s = &l->surface;
    ListRow& r = l->rows[row];
    bool focused = l->focusState == HasFocus;
    int innerRight = l->width - 1 - (l->vScroll.visible ? ListBarSize() : 0);
    int rh = l->rowHeight;
    RECT bar{1, ry, innerRight, ry + rh < rowsBottom ? ry + rh : rowsBottom};
    COLORREF text = r.selected ? l->colors[16] : r.textColor;
    if (row == l->currentRow) {
        if (focused) {
            if (l->solidBar) {
                FillSolid(s, bar, kSolidBar);
                text = r.selected ? RGB(255, 255, 0) : RGB(255, 255, 255);
            } else {
                FillGradientV(s, bar, l->colors[12], l->colors[13]);
            }
        } else if (l->barWithoutFocus) {
            FillGradientV(s, bar, l->colors[14], l->colors[15]);
        }
    }
    SetTextColor(s->memoryDC, text);
    int ty = ry + (rh - tm.tmHeight) / 2;
    int cx = 1 - (l->hScrollKeyColumn ? 0 : l->hScroll.value);
    for (int c = 0; c < l->columnCount; c++) {
        const ListColumn& col = l->columns[c];
        if (!col.visible) continue;
        int left = cx, right = cx + col.width;
        cx = right;
        if (right <= 1 || left >= innerRight) continue;
        RECT clip{left > 1 ? left : 1, bar.top, right < innerRight ? right : innerRight, bar.bottom};
        const ListCell& cell = r.cells[c];
        RECT textRect{left + l->cellIndent, bar.top, right - l->cellIndent, bar.bottom};
        if (c == l->keyColumn && l->hScrollKeyColumn) OffsetRect(&textRect, -l->hScroll.value, 0);
        IntersectRect(&textRect, &textRect, &clip);
        wchar_t number[24];
        switch (col.type) {
        case ColumnText:
        case ColumnFileName:
            if (!cell.text) break;
            DrawCellText(l, cell, col, textRect, ty);
            if (l->searchActive && r.matchesSearch && c == l->keyColumn) {
                int length = 0;
                int at = SearchMatchAt(cell.text, l->searchBox.text.c_str(), &length);
                if (at >= 0 && length > 0) {
                    int x0 = textRect.left + TextSize(s, cell.text, at).cx;
                    int x1 = textRect.left + TextSize(s, cell.text, at + length).cx;
                    RECT part{x0, textRect.top, x1 < textRect.right ? x1 : textRect.right, textRect.bottom};
                    SetTextColor(s->memoryDC, l->colors[17]);
                    TextOut(s, cell.text, (int)wcslen(cell.text), textRect.left, ty, &part);
                    SetTextColor(s->memoryDC, text);
                }
            }
            break;
        case ColumnIcon: {
            int v = (int)cell.value;
            if (cell.empty || v == kNoIcon || !l->iconSheet) break;
            int ch = l->iconSheet->cellHeight, cw = l->iconSheet->cellWidth;
            int iy = ry + (rh - ch) / 2;
            int iw = cw < clip.right - left ? cw : clip.right - left;
            if (iw > 0) DrawCell(s, l->iconSheet, v >= 0 ? v : -v, left + (col.width - cw) / 2 > left ? left + (col.width - cw) / 2 : left, iy, iw, ch, v >= 0 ? 255 : 128);
            break;
        }
        case ColumnNumber:
            if (cell.empty) break;
            _snwprintf(number, 24, L"%i", (int)cell.value);
            number[23] = 0;
            {
                ListCell tmp = cell;
                tmp.text = number;
                DrawCellText(l, tmp, col, textRect, ty);
            }
            break;
        case ColumnRowNumber: {
            _snwprintf(number, 24, L"%i", row);  // the top row plus the line
            number[23] = 0;
            ListCell tmp = cell;
            tmp.text = number;
            DrawCellText(l, tmp, col, textRect, ty);
            break;
        }
        case ColumnCustom:
            if (col.drawer) col.drawer(s->memoryDC, &tm, &cell, &clip);
            break;
        }
        if (l->rowColorSeparators && right < innerRight) LineV(s, right - 1, bar.top, bar.bottom - bar.top, r.textColor);
    }
}

bool ListView::Paint() {
    if (!visible || !surface.memoryDC) return false;
    LayoutListBars(this);
    BeginDraw(this);
    Surface* s = &surface;
    int w = width, h = height;
    int innerRight = w - 1 - (vScroll.visible ? ListBarSize() : 0);
    int rowsBottom = h - 1 - (hScroll.visible ? ListBarSize() : 0);
    FillGradientV(s, RECT{0, 0, w, h}, colors[1], colors[2]);
    TEXTMETRICW tm{};
    GetTextMetricsW(s->memoryDC, &tm);

    if (headerHeight > 0) {
        RECT header{1, 1, innerRight, headerHeight};
        if (flat) FillSolid(s, header, colors[7]);
        else FillGradientV(s, header, colors[7], colors[8]);
        SetTextColor(s->memoryDC, colors[6]);
        int cx = 1 - (hScrollKeyColumn ? 0 : hScroll.value);
        for (int c = 0; c < columnCount; c++) {
            const ListColumn& col = columns[c];
            if (!col.visible) continue;
            int right = cx + col.width;
            RECT clip{cx + cellIndent, 1, right - cellIndent, headerHeight};
            if (clip.right > innerRight) clip.right = innerRight;
            if (col.title && clip.right > clip.left) {
                int tx = col.alignment == TA_RIGHT ? clip.right : col.alignment == TA_CENTER ? (clip.left + clip.right) / 2 : clip.left;
                SetTextAlign(s->memoryDC, col.alignment | TA_TOP);
                TextOut(s, col.title, tx, (headerHeight - tm.tmHeight) / 2, &clip);
                SetTextAlign(s->memoryDC, TA_LEFT | TA_TOP);
            }
            if (right < innerRight) {
                if (flat) {
                    LineV(s, right - 1, (headerHeight - 4) / 2, 4, colors[10]);
                } else {
                    LineV(s, right - 2, 2, headerHeight - 4, colors[9]);
                    LineV(s, right - 1, 2, headerHeight - 4, colors[10]);
                }
            }
            cx = right;
        }
    }

    HRGN clipRegion = CreateRectRgn(x + 1, y + headerHeight, x + innerRight, y + rowsBottom);
    SelectClipRgn(s->memoryDC, clipRegion);
    int visibleRows = VisibleRows(this);
    for (int i = 0; i <= visibleRows && topRow + i < rowCount; i++)
        DrawRow(this, topRow + i, headerHeight + 2 + i * rowHeight, rowsBottom, tm);
    if (!rowColorSeparators) {
        int cx = 1 - (hScrollKeyColumn ? 0 : hScroll.value);
        for (int c = 0; c < columnCount; c++) {
            if (!columns[c].visible) continue;
            cx += columns[c].width;
            if (cx > 1 && cx < innerRight) LineV(s, cx - 1, headerHeight, rowsBottom - headerHeight, colors[11]);
        }
    }
    SelectClipRgn(s->memoryDC, nullptr);
    DeleteObject(clipRegion);
    Frame(s, 0, 0, w, h, colors[3], colors[4]);
    if (vScroll.visible && hScroll.visible)
        FillSolid(s, RECT{innerRight, rowsBottom, w - 1, h - 1}, vScroll.colors[1]);
    EndDraw(this);
    if (vScroll.visible) vScroll.Paint();
    if (hScroll.visible) hScroll.Paint();
    if (searchActive) searchBox.Paint();
    return true;
}
