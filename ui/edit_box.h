// A one-line text entry with a caret, a selection and the clipboard.
#pragma once
#include "ui/control.h"
#include "base/string_buffer.h"

class EditBox : public Control {
public:
    COLORREF colors[8]{};
    StringBuffer text;
    int32_t capacity = 259;  // characters the box holds
    int32_t caret = 0;
    int32_t firstVisible = 0;
    int32_t selectionStart = 0, selectionEnd = 0;  // the anchor and the caret's end; empty when equal
    bool caretShown = false;
    int32_t blinkCounter = 0;
    int32_t textIndent = 5;
    int32_t marginLeft = 1, marginTop = 1, marginRight = 1, marginBottom = 1;
    bool hadFocus = false;
    COLORREF textColorOverride = CLR_INVALID, backgroundOverride = CLR_INVALID;  // the list's search colours

    EditBox(int x, int y, int w, int h, NotifyProc notify);
    int OnMouse(UINT msg, WPARAM wp, LPARAM pos) override;
    bool OnKey(UINT msg, WPARAM wp, LPARAM lp) override;
    bool OnTimer() override;
    bool Paint() override;
};

void SetEditText(EditBox* e, const wchar_t* text);
// The selection as [from, to).
void EditSelection(const EditBox* e, int* from, int* to);
