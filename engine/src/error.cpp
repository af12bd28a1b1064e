#include "error.h"

static thread_local int gLastError = 0;

int LastError() { return gLastError; }
void SetError(int code) { gLastError = code; }
