// The error number of the calling thread's last call (BASS_ErrorGetCode).
#pragma once

int LastError();
void SetError(int code);

// Every exported call ends through one of these, so the error number always
// describes the call that just returned.
template <typename T>
inline T Fail(int code, T result) {
    SetError(code);
    return result;
}
template <typename T>
inline T Ok(T result) {
    SetError(0);
    return result;
}
