// The multi-column list of the file browser, the playlist and the settings
// pages: its own rows and cells, a header, two scroll bars, an icon strip,
// coloured rows, a current row apart from the selected rows, and
// type-to-search in an inline box.
#pragma once
#include "ui/control.h"
#include "ui/scroll_bar.h"
#include "ui/edit_box.h"
#include "ui/sprite_sheet.h"

// The list tells its owner of a change of its current row (lParam: the previous row).
const WPARAM kListCurrentChanged = 396;
// An icon cell that draws nothing.
const int kNoIcon = -100000;

enum ColumnType : int32_t {
    ColumnText = 0,
    ColumnFileName = 1,
    ColumnIcon = 3,
    ColumnNumber = 4,
    ColumnRowNumber = 5,
    ColumnCustom = 7,
};

struct ListCell {
    wchar_t* text;  // or, in icon and number columns, unused
    intptr_t value;
    int16_t textWidth;
    bool empty;
    bool ownsText;
};

// Draws a cell of a custom column: DC, text metrics, the cell's value, the cell's rectangle.
typedef void (*CellDrawer)(HDC, const TEXTMETRICW*, const ListCell*, const RECT*);

struct ListColumn {
    int32_t width;
    int32_t creationIndex;
    uint8_t alignment;  // TA_LEFT 0, TA_RIGHT 2, TA_CENTER 6
    bool visible;
    bool resizable;
    int32_t headerState;  // a header click cycles 0 -> 2 -> 1 -> 0
    int32_t type;
    int32_t widestText;
    wchar_t* title;
    CellDrawer drawer;
};

struct ListRow {
    COLORREF textColor;
    COLORREF secondColor;
    ListCell* cells;
    bool selected;
    bool matchesSearch;
    uint8_t paletteSlot;  // 1 + the palette entry the colour last came from; 0 unknown
};

class ListView : public Control {
public:
    COLORREF colors[18]{};
    const SpriteSheet* iconSheet = nullptr;
    ScrollBar vScroll, hScroll;
    EditBox searchBox;
    int32_t savedCursor = 32512;
    ListColumn* columns = nullptr;
    int32_t columnCount = 0, columnCapacity = 0;
    int32_t keyColumn = 0;
    bool hScrollKeyColumn = false;
    bool rowColorSeparators = false;
    bool flat = false;
    int32_t headerHeight = 17;
    int32_t resizingColumn = -1;
    int32_t resizeEdgeOffset = 0;
    int32_t cellIndent = 5;
    ListRow* rows = nullptr;
    int32_t rowCount = 0, rowCapacity = 0;
    int32_t topRow = 0;
    int32_t currentRow = 0;
    bool rightDragSelecting = false;
    bool scrollBarPressed = false;
    bool searchActive = false;
    bool anchorValue = false;
    bool altScrolling = false;
    bool barWithoutFocus = false;
    bool solidBar = false;
    int32_t rowHeight = 17;
    int32_t textHeight = 0;  // the font's own height; rowHeight less it is the row spacing

    ListView(int x, int y, int w, int h, NotifyProc notify);
    ~ListView() override;
    bool HitTest(int px, int py) override;
    int OnMouse(UINT msg, WPARAM wp, LPARAM pos) override;
    bool OnKey(UINT msg, WPARAM wp, LPARAM lp) override;
    bool OnTimer() override;
    bool Paint() override;
    bool SetBounds(int nx, int ny, int nw, int nh) override;
    void AttachSurface(const Surface* window) override;
    void OnCommand(UINT msg, WPARAM param, LPARAM lp) override;
};

bool AddColumns(ListView* l, int n);
void SetColumnTitle(ListView* l, int column, const wchar_t* title);
bool AddRow(ListView* l);
bool SetCellText(ListView* l, int column, const wchar_t* text, int row = -1, int length = -1);
bool SetCellValue(ListView* l, int column, intptr_t value);
bool SetRowColor(ListView* l, int row, COLORREF color);
int FindRow(const ListView* l, int column, const wchar_t* text);
void Clear(ListView* l, bool keepStorage);
void DeleteSelected(ListView* l, bool freeText);
// Moves a row (cells, colours and mark) to another place; the rows between shift by one.
void MoveRow(ListView* l, int from, int to);
void Sort(ListView* l, int column);
void SetCurrent(ListView* l, int row);
void SetCurrentCentred(ListView* l, int row);
int VisibleRows(const ListView* l);
// Sets the row height from the font (and the spacing over it).
void SetRowHeight(ListView* l, int height);
// The list's font was replaced: the row height follows the new text height
// with the spacing given, and every cell is measured again.
void FontChanged(ListView* l, int spacing);
// A font of the list's own, or the window's shared one again; either keeps the
// spacing between the text and the row's edges.
void SetListFont(ListView* l, const wchar_t* face, int height, int charset);
void ShareWindowFont(ListView* l, const FontSpec* windowFont);
// The text of the search box was changed: mark the matches and move to the first.
void UpdateSearch(ListView* l);
