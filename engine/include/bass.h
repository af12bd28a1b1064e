// Sonvale's audio library: the public interface of bass.dll.
//
// The names, signatures, structure layouts and constant values follow the
// published BASS 2.4 API, so a program written against this header also runs
// on any library that implements that API. Only the part Sonvale uses is
// implemented; the rest of the published set is declared so callers compile,
// and answers BASS_ERROR_NOTAVAIL.
#pragma once

#include <windows.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define BASSVERSION 0x204
#define BASSVERSIONTEXT "2.4"

#ifdef SONVALE_BUILDING_BASS
#define BASSAPI __declspec(dllexport)
#else
#define BASSAPI __declspec(dllimport)
#endif
#define BASSDEF(f) BASSAPI WINAPI f

typedef uint64_t QWORD;

// Handles: 0 is never a valid one.
typedef DWORD HMUSIC;
typedef DWORD HSAMPLE;
typedef DWORD HCHANNEL;
typedef DWORD HSTREAM;
typedef DWORD HRECORD;
typedef DWORD HSYNC;
typedef DWORD HDSP;
typedef DWORD HFX;
typedef DWORD HPLUGIN;

// ---- Error numbers (BASS_ErrorGetCode) ----
enum {
    BASS_OK = 0,
    BASS_ERROR_MEM = 1,
    BASS_ERROR_FILEOPEN = 2,
    BASS_ERROR_DRIVER = 3,
    BASS_ERROR_BUFLOST = 4,
    BASS_ERROR_HANDLE = 5,
    BASS_ERROR_FORMAT = 6,
    BASS_ERROR_POSITION = 7,
    BASS_ERROR_INIT = 8,
    BASS_ERROR_START = 9,
    BASS_ERROR_SSL = 10,
    BASS_ERROR_REINIT = 11,
    BASS_ERROR_ALREADY = 14,
    BASS_ERROR_NOTAUDIO = 17,
    BASS_ERROR_NOCHAN = 18,
    BASS_ERROR_ILLTYPE = 19,
    BASS_ERROR_ILLPARAM = 20,
    BASS_ERROR_NO3D = 21,
    BASS_ERROR_NOEAX = 22,
    BASS_ERROR_DEVICE = 23,
    BASS_ERROR_NOPLAY = 24,
    BASS_ERROR_FREQ = 25,
    BASS_ERROR_NOTFILE = 27,
    BASS_ERROR_NOHW = 29,
    BASS_ERROR_EMPTY = 31,
    BASS_ERROR_NONET = 32,
    BASS_ERROR_CREATE = 33,
    BASS_ERROR_NOFX = 34,
    BASS_ERROR_NOTAVAIL = 37,
    BASS_ERROR_DECODE = 38,
    BASS_ERROR_DX = 39,
    BASS_ERROR_TIMEOUT = 40,
    BASS_ERROR_FILEFORM = 41,
    BASS_ERROR_SPEAKER = 42,
    BASS_ERROR_VERSION = 43,
    BASS_ERROR_CODEC = 44,
    BASS_ERROR_ENDED = 45,
    BASS_ERROR_BUSY = 46,
    BASS_ERROR_UNSTREAMABLE = 47,
    BASS_ERROR_PROTOCOL = 48,
    BASS_ERROR_DENIED = 49,
    BASS_ERROR_UNKNOWN = -1
};

// ---- Configuration options (BASS_SetConfig / BASS_GetConfig) ----
#define BASS_CONFIG_BUFFER 0
#define BASS_CONFIG_UPDATEPERIOD 1
#define BASS_CONFIG_GVOL_SAMPLE 4
#define BASS_CONFIG_GVOL_STREAM 5
#define BASS_CONFIG_GVOL_MUSIC 6
#define BASS_CONFIG_CURVE_VOL 7
#define BASS_CONFIG_CURVE_PAN 8
#define BASS_CONFIG_FLOATDSP 9
#define BASS_CONFIG_3DALGORITHM 10
#define BASS_CONFIG_NET_TIMEOUT 11
#define BASS_CONFIG_NET_BUFFER 12
#define BASS_CONFIG_PAUSE_NOPLAY 13
#define BASS_CONFIG_NET_PREBUF 15
#define BASS_CONFIG_NET_PASSIVE 18
#define BASS_CONFIG_REC_BUFFER 19
#define BASS_CONFIG_NET_PLAYLIST 21
#define BASS_CONFIG_MUSIC_VIRTUAL 22
#define BASS_CONFIG_VERIFY 23
#define BASS_CONFIG_UPDATETHREADS 24
#define BASS_CONFIG_DEV_BUFFER 27
#define BASS_CONFIG_DEV_DEFAULT 36
#define BASS_CONFIG_NET_READTIMEOUT 37
#define BASS_CONFIG_HANDLES 41
#define BASS_CONFIG_UNICODE 42
#define BASS_CONFIG_SRC 43
#define BASS_CONFIG_SRC_SAMPLE 44
#define BASS_CONFIG_ASYNCFILE_BUFFER 45
#define BASS_CONFIG_OGG_PRESCAN 47
#define BASS_CONFIG_DEV_NONSTOP 50
#define BASS_CONFIG_VERIFY_NET 52
#define BASS_CONFIG_NET_AGENT 16
#define BASS_CONFIG_NET_PROXY 17

// ---- BASS_Init flags ----
#define BASS_DEVICE_8BITS 1
#define BASS_DEVICE_MONO 2
#define BASS_DEVICE_3D 4
#define BASS_DEVICE_16BITS 8
#define BASS_DEVICE_REINIT 128
#define BASS_DEVICE_LATENCY 0x100
#define BASS_DEVICE_CPSPEAKERS 0x400
#define BASS_DEVICE_SPEAKERS 0x800
#define BASS_DEVICE_NOSPEAKER 0x1000
#define BASS_DEVICE_DMIX 0x2000
#define BASS_DEVICE_FREQ 0x4000
#define BASS_DEVICE_STEREO 0x8000
#define BASS_DEVICE_HOG 0x10000
#define BASS_DEVICE_AUDIOTRACK 0x20000
#define BASS_DEVICE_DSOUND 0x40000
#define BASS_DEVICE_SOFTWARE 0x80000

// ---- Devices ----
typedef struct BASS_DEVICEINFO {
    const char* name;    // description, in the system code page
    const char* driver;  // driver or endpoint identifier
    DWORD flags;         // BASS_DEVICE_ENABLED etc. and a BASS_DEVICE_TYPE_xxx
} BASS_DEVICEINFO;

#define BASS_DEVICE_ENABLED 1
#define BASS_DEVICE_DEFAULT 2
#define BASS_DEVICE_INIT 4
#define BASS_DEVICE_LOOPBACK 8
#define BASS_DEVICE_DEFAULTCOM 128

#define BASS_DEVICE_TYPE_MASK 0xff000000
#define BASS_DEVICE_TYPE_NETWORK 0x01000000
#define BASS_DEVICE_TYPE_SPEAKERS 0x02000000
#define BASS_DEVICE_TYPE_LINE 0x03000000
#define BASS_DEVICE_TYPE_HEADPHONES 0x04000000
#define BASS_DEVICE_TYPE_MICROPHONE 0x05000000
#define BASS_DEVICE_TYPE_HEADSET 0x06000000
#define BASS_DEVICE_TYPE_HANDSET 0x07000000
#define BASS_DEVICE_TYPE_DIGITAL 0x08000000
#define BASS_DEVICE_TYPE_SPDIF 0x09000000
#define BASS_DEVICE_TYPE_HDMI 0x0a000000
#define BASS_DEVICE_TYPE_DISPLAYPORT 0x40000000

typedef struct BASS_INFO {
    DWORD flags;      // DSCAPS_xxx
    DWORD hwsize;     // hardware memory (none here)
    DWORD hwfree;
    DWORD freesam;
    DWORD free3d;
    DWORD minrate;
    DWORD maxrate;
    BOOL eax;
    DWORD minbuf;     // smallest useful buffer, ms
    DWORD dsver;
    DWORD latency;    // from play to sound, ms
    DWORD initflags;  // the BASS_Init flags in effect
    DWORD speakers;
    DWORD freq;       // the rate the device really runs at
} BASS_INFO;

#define DSCAPS_CONTINUOUSRATE 0x00000010
#define DSCAPS_EMULDRIVER 0x00000020
#define DSCAPS_CERTIFIED 0x00000040
#define DSCAPS_SECONDARYMONO 0x00000100
#define DSCAPS_SECONDARYSTEREO 0x00000200
#define DSCAPS_SECONDARY8BIT 0x00000400
#define DSCAPS_SECONDARY16BIT 0x00000800
#define DSCAPS_HARDWARE 0x80000000

// ---- Sample and stream flags ----
#define BASS_SAMPLE_8BITS 1
#define BASS_SAMPLE_FLOAT 256
#define BASS_SAMPLE_MONO 2
#define BASS_SAMPLE_LOOP 4
#define BASS_SAMPLE_3D 8
#define BASS_SAMPLE_SOFTWARE 16
#define BASS_SAMPLE_MUTEMAX 32
#define BASS_SAMPLE_VAM 64
#define BASS_SAMPLE_FX 128
#define BASS_SAMPLE_OVER_VOL 0x10000
#define BASS_SAMPLE_OVER_POS 0x20000
#define BASS_SAMPLE_OVER_DIST 0x30000

#define BASS_STREAM_PRESCAN 0x20000
#define BASS_STREAM_AUTOFREE 0x40000
#define BASS_STREAM_RESTRATE 0x80000
#define BASS_STREAM_BLOCK 0x100000
#define BASS_STREAM_DECODE 0x200000
#define BASS_STREAM_STATUS 0x800000

#define BASS_MP3_IGNOREDELAY 0x200
#define BASS_MP3_SETPOS BASS_STREAM_PRESCAN

#define BASS_MUSIC_FLOAT BASS_SAMPLE_FLOAT
#define BASS_MUSIC_MONO BASS_SAMPLE_MONO
#define BASS_MUSIC_LOOP BASS_SAMPLE_LOOP
#define BASS_MUSIC_3D BASS_SAMPLE_3D
#define BASS_MUSIC_FX BASS_SAMPLE_FX
#define BASS_MUSIC_AUTOFREE BASS_STREAM_AUTOFREE
#define BASS_MUSIC_DECODE BASS_STREAM_DECODE
#define BASS_MUSIC_PRESCAN BASS_STREAM_PRESCAN
#define BASS_MUSIC_CALCLEN BASS_MUSIC_PRESCAN
#define BASS_MUSIC_RAMP 0x200
#define BASS_MUSIC_RAMPS 0x400
#define BASS_MUSIC_SURROUND 0x800
#define BASS_MUSIC_SURROUND2 0x1000
#define BASS_MUSIC_FT2PAN 0x2000
#define BASS_MUSIC_FT2MOD 0x2000
#define BASS_MUSIC_PT1MOD 0x4000
#define BASS_MUSIC_NONINTER 0x10000
#define BASS_MUSIC_SINCINTER 0x800000
#define BASS_MUSIC_POSRESET 0x8000
#define BASS_MUSIC_POSRESETEX 0x400000
#define BASS_MUSIC_STOPBACK 0x80000
#define BASS_MUSIC_NOSAMPLE 0x100000

#define BASS_UNICODE 0x80000000
#define BASS_ASYNCFILE 0x40000000

// ---- Channels ----
typedef struct BASS_CHANNELINFO {
    DWORD freq;
    DWORD chans;
    DWORD flags;
    DWORD ctype;         // BASS_CTYPE_xxx
    DWORD origres;       // bits of the source, | BASS_ORIGRES_FLOAT; 0 when it has none
    HPLUGIN plugin;      // the add-on that decodes it, 0 for a built-in format
    HSAMPLE sample;
    const char* filename;
} BASS_CHANNELINFO;

#define BASS_ORIGRES_FLOAT 0x10000

#define BASS_CTYPE_SAMPLE 1
#define BASS_CTYPE_RECORD 2
#define BASS_CTYPE_STREAM 0x10000
#define BASS_CTYPE_STREAM_VORBIS 0x10002
#define BASS_CTYPE_STREAM_OGG 0x10002
#define BASS_CTYPE_STREAM_MP1 0x10003
#define BASS_CTYPE_STREAM_MP2 0x10004
#define BASS_CTYPE_STREAM_MP3 0x10005
#define BASS_CTYPE_STREAM_AIFF 0x10006
#define BASS_CTYPE_STREAM_CA 0x10007
#define BASS_CTYPE_STREAM_MF 0x10008
#define BASS_CTYPE_STREAM_AM 0x10009
#define BASS_CTYPE_STREAM_DUMMY 0x18000
#define BASS_CTYPE_STREAM_DEVICE 0x18001
#define BASS_CTYPE_STREAM_WAV 0x40000
#define BASS_CTYPE_STREAM_WAV_PCM 0x50001
#define BASS_CTYPE_STREAM_WAV_FLOAT 0x50003
#define BASS_CTYPE_MUSIC_MOD 0x20000
#define BASS_CTYPE_MUSIC_MTM 0x20001
#define BASS_CTYPE_MUSIC_S3M 0x20002
#define BASS_CTYPE_MUSIC_XM 0x20003
#define BASS_CTYPE_MUSIC_IT 0x20004
#define BASS_CTYPE_MUSIC_MO3 0x00100

// ---- Add-ons ----
typedef struct BASS_PLUGINFORM {
    DWORD ctype;
    const char* name;
    const char* exts;  // "*.flac;*.fla"
} BASS_PLUGINFORM;

typedef struct BASS_PLUGININFO {
    DWORD version;
    DWORD formatc;
    const BASS_PLUGINFORM* formats;
} BASS_PLUGININFO;

// ---- Attributes ----
#define BASS_ATTRIB_FREQ 1
#define BASS_ATTRIB_VOL 2
#define BASS_ATTRIB_PAN 3
#define BASS_ATTRIB_EAXMIX 4
#define BASS_ATTRIB_NOBUFFER 5
#define BASS_ATTRIB_VBR 6
#define BASS_ATTRIB_CPU 7
#define BASS_ATTRIB_SRC 8
#define BASS_ATTRIB_NET_RESUME 9
#define BASS_ATTRIB_SCANINFO 10
#define BASS_ATTRIB_NORAMP 11
#define BASS_ATTRIB_BITRATE 12
#define BASS_ATTRIB_BUFFER 13
#define BASS_ATTRIB_GRANULE 14
#define BASS_ATTRIB_VOLDSP 19
#define BASS_ATTRIB_MUSIC_AMPLIFY 0x100
#define BASS_ATTRIB_MUSIC_PANSEP 0x101
#define BASS_ATTRIB_MUSIC_PSCALER 0x102
#define BASS_ATTRIB_MUSIC_BPM 0x103
#define BASS_ATTRIB_MUSIC_SPEED 0x104
#define BASS_ATTRIB_MUSIC_VOL_GLOBAL 0x105
#define BASS_ATTRIB_MUSIC_ACTIVE 0x106
#define BASS_ATTRIB_MUSIC_VOL_CHAN 0x200
#define BASS_ATTRIB_MUSIC_VOL_INST 0x300

#define BASS_SLIDE_LOG 0x1000000

// ---- BASS_ChannelGetData ----
#define BASS_DATA_AVAILABLE 0
#define BASS_DATA_NOREMOVE 0x10000000
#define BASS_DATA_FIXED 0x20000000
#define BASS_DATA_FLOAT 0x40000000
#define BASS_DATA_FFT256 0x80000000
#define BASS_DATA_FFT512 0x80000001
#define BASS_DATA_FFT1024 0x80000002
#define BASS_DATA_FFT2048 0x80000003
#define BASS_DATA_FFT4096 0x80000004
#define BASS_DATA_FFT8192 0x80000005
#define BASS_DATA_FFT16384 0x80000006
#define BASS_DATA_FFT32768 0x80000007
#define BASS_DATA_FFT_INDIVIDUAL 0x10
#define BASS_DATA_FFT_NOWINDOW 0x20
#define BASS_DATA_FFT_REMOVEDC 0x40
#define BASS_DATA_FFT_COMPLEX 0x80
#define BASS_DATA_FFT_NYQUIST 0x100

// ---- BASS_ChannelGetLevelEx ----
#define BASS_LEVEL_MONO 1
#define BASS_LEVEL_STEREO 2
#define BASS_LEVEL_RMS 4
#define BASS_LEVEL_VOL 8
#define BASS_LEVEL_NOREMOVE 16

// ---- Tags (BASS_ChannelGetTags) ----
#define BASS_TAG_ID3 0
#define BASS_TAG_ID3V2 1
#define BASS_TAG_OGG 2
#define BASS_TAG_HTTP 3
#define BASS_TAG_ICY 4
#define BASS_TAG_META 5
#define BASS_TAG_APE 6
#define BASS_TAG_MP4 7
#define BASS_TAG_WMA 8
#define BASS_TAG_VENDOR 9
#define BASS_TAG_LYRICS3 10
#define BASS_TAG_WAVEFORMAT 14
#define BASS_TAG_RIFF_INFO 0x100
#define BASS_TAG_APE_BINARY 0x1000
#define BASS_TAG_MUSIC_NAME 0x10000
#define BASS_TAG_MUSIC_MESSAGE 0x10001
#define BASS_TAG_MUSIC_ORDERS 0x10002
#define BASS_TAG_MUSIC_AUTH 0x10003
#define BASS_TAG_MUSIC_INST 0x10100
#define BASS_TAG_MUSIC_CHAN 0x10200
#define BASS_TAG_MUSIC_SAMPLE 0x10300

// The 128-byte block at the end of a file (BASS_TAG_ID3).
typedef struct TAG_ID3 {
    char id[3];  // "TAG"
    char title[30];
    char artist[30];
    char album[30];
    char year[4];
    char comment[30];
    BYTE genre;
} TAG_ID3;

typedef struct TAG_APE_BINARY {
    const char* key;
    const void* data;
    DWORD length;
} TAG_APE_BINARY;

// ---- Positions ----
#define BASS_POS_BYTE 0
#define BASS_POS_MUSIC_ORDER 1
#define BASS_POS_OGG 3
#define BASS_POS_END 0x10
#define BASS_POS_LOOP 0x11
#define BASS_POS_FLUSH 0x1000000
#define BASS_POS_RESET 0x2000000
#define BASS_POS_RELATIVE 0x4000000
#define BASS_POS_INEXACT 0x8000000
#define BASS_POS_DECODE 0x10000000
#define BASS_POS_DECODETO 0x20000000
#define BASS_POS_SCAN 0x40000000

// ---- BASS_ChannelIsActive ----
#define BASS_ACTIVE_STOPPED 0
#define BASS_ACTIVE_PLAYING 1
#define BASS_ACTIVE_STALLED 2
#define BASS_ACTIVE_PAUSED 3
#define BASS_ACTIVE_PAUSED_DEVICE 4

// ---- Syncs ----
#define BASS_SYNC_POS 0
#define BASS_SYNC_MUSICINST 1
#define BASS_SYNC_END 2
#define BASS_SYNC_MUSICFX 3
#define BASS_SYNC_META 4
#define BASS_SYNC_SLIDE 5
#define BASS_SYNC_STALL 6
#define BASS_SYNC_DOWNLOAD 7
#define BASS_SYNC_FREE 8
#define BASS_SYNC_MUSICPOS 10
#define BASS_SYNC_SETPOS 11
#define BASS_SYNC_OGG_CHANGE 12
#define BASS_SYNC_DEV_FAIL 14
#define BASS_SYNC_DEV_FORMAT 15
#define BASS_SYNC_THREAD 0x20000000
#define BASS_SYNC_MIXTIME 0x40000000
#define BASS_SYNC_ONETIME 0x80000000

// ---- BASS_StreamGetFilePosition ----
#define BASS_FILEPOS_CURRENT 0
#define BASS_FILEPOS_DECODE BASS_FILEPOS_CURRENT
#define BASS_FILEPOS_DOWNLOAD 1
#define BASS_FILEPOS_END 2
#define BASS_FILEPOS_START 3
#define BASS_FILEPOS_CONNECTED 4
#define BASS_FILEPOS_BUFFER 5
#define BASS_FILEPOS_SOCKET 6
#define BASS_FILEPOS_ASYNCBUF 7
#define BASS_FILEPOS_SIZE 8
#define BASS_FILEPOS_BUFFERING 9
#define BASS_FILEPOS_AVAILABLE 10

// ---- Callbacks ----
// A user stream's data source; returns bytes written, | BASS_STREAMPROC_END at the end.
typedef DWORD(CALLBACK STREAMPROC)(HSTREAM handle, void* buffer, DWORD length, void* user);
#define BASS_STREAMPROC_END 0x80000000
#define STREAMPROC_DUMMY ((STREAMPROC*)0)
#define STREAMPROC_PUSH ((STREAMPROC*)-1)
#define STREAMPROC_DEVICE ((STREAMPROC*)-2)
#define STREAMPROC_DEVICE_3D ((STREAMPROC*)-3)

// Receives the bytes of an internet stream as they arrive; buffer 0 at the end.
typedef void(CALLBACK DOWNLOADPROC)(const void* buffer, DWORD length, void* user);
// A sync fired: handle is the sync, channel the channel, data depends on the type.
typedef void(CALLBACK SYNCPROC)(HSYNC handle, DWORD channel, DWORD data, void* user);
typedef void(CALLBACK DSPPROC)(HDSP handle, DWORD channel, void* buffer, DWORD length, void* user);

// ---- Library and device ----
DWORD BASSDEF(BASS_GetVersion)(void);
int BASSDEF(BASS_ErrorGetCode)(void);
BOOL BASSDEF(BASS_SetConfig)(DWORD option, DWORD value);
DWORD BASSDEF(BASS_GetConfig)(DWORD option);
BOOL BASSDEF(BASS_SetConfigPtr)(DWORD option, const void* value);
const void* BASSDEF(BASS_GetConfigPtr)(DWORD option);
BOOL BASSDEF(BASS_GetDeviceInfo)(DWORD device, BASS_DEVICEINFO* info);
BOOL BASSDEF(BASS_Init)(int device, DWORD freq, DWORD flags, HWND win, const void* dsguid);
BOOL BASSDEF(BASS_SetDevice)(DWORD device);
DWORD BASSDEF(BASS_GetDevice)(void);
BOOL BASSDEF(BASS_Free)(void);
BOOL BASSDEF(BASS_GetInfo)(BASS_INFO* info);
BOOL BASSDEF(BASS_Update)(DWORD length);
float BASSDEF(BASS_GetCPU)(void);
BOOL BASSDEF(BASS_Start)(void);
BOOL BASSDEF(BASS_Stop)(void);
BOOL BASSDEF(BASS_Pause)(void);
BOOL BASSDEF(BASS_SetVolume)(float volume);
float BASSDEF(BASS_GetVolume)(void);

// ---- Add-ons ----
HPLUGIN BASSDEF(BASS_PluginLoad)(const char* file, DWORD flags);
BOOL BASSDEF(BASS_PluginFree)(HPLUGIN handle);
const BASS_PLUGININFO* BASSDEF(BASS_PluginGetInfo)(HPLUGIN handle);

// ---- Streams and modules ----
HSTREAM BASSDEF(BASS_StreamCreate)(DWORD freq, DWORD chans, DWORD flags, STREAMPROC* proc, void* user);
HSTREAM BASSDEF(BASS_StreamCreateFile)(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags);
HSTREAM BASSDEF(BASS_StreamCreateURL)(const char* url, DWORD offset, DWORD flags, DOWNLOADPROC* proc, void* user);
BOOL BASSDEF(BASS_StreamFree)(HSTREAM handle);
QWORD BASSDEF(BASS_StreamGetFilePosition)(HSTREAM handle, DWORD mode);
HMUSIC BASSDEF(BASS_MusicLoad)(BOOL mem, const void* file, QWORD offset, DWORD length, DWORD flags, DWORD freq);
BOOL BASSDEF(BASS_MusicFree)(HMUSIC handle);

// ---- Channels ----
BOOL BASSDEF(BASS_ChannelGetInfo)(DWORD handle, BASS_CHANNELINFO* info);
const char* BASSDEF(BASS_ChannelGetTags)(DWORD handle, DWORD tags);
DWORD BASSDEF(BASS_ChannelFlags)(DWORD handle, DWORD flags, DWORD mask);
BOOL BASSDEF(BASS_ChannelUpdate)(DWORD handle, DWORD length);
BOOL BASSDEF(BASS_ChannelLock)(DWORD handle, BOOL lock);
BOOL BASSDEF(BASS_ChannelPlay)(DWORD handle, BOOL restart);
BOOL BASSDEF(BASS_ChannelStop)(DWORD handle);
BOOL BASSDEF(BASS_ChannelPause)(DWORD handle);
DWORD BASSDEF(BASS_ChannelIsActive)(DWORD handle);
BOOL BASSDEF(BASS_ChannelSetAttribute)(DWORD handle, DWORD attrib, float value);
BOOL BASSDEF(BASS_ChannelGetAttribute)(DWORD handle, DWORD attrib, float* value);
BOOL BASSDEF(BASS_ChannelSlideAttribute)(DWORD handle, DWORD attrib, float value, DWORD time);
BOOL BASSDEF(BASS_ChannelIsSliding)(DWORD handle, DWORD attrib);
QWORD BASSDEF(BASS_ChannelGetLength)(DWORD handle, DWORD mode);
BOOL BASSDEF(BASS_ChannelSetPosition)(DWORD handle, QWORD pos, DWORD mode);
QWORD BASSDEF(BASS_ChannelGetPosition)(DWORD handle, DWORD mode);
double BASSDEF(BASS_ChannelBytes2Seconds)(DWORD handle, QWORD pos);
QWORD BASSDEF(BASS_ChannelSeconds2Bytes)(DWORD handle, double pos);
DWORD BASSDEF(BASS_ChannelGetLevel)(DWORD handle);
BOOL BASSDEF(BASS_ChannelGetLevelEx)(DWORD handle, float* levels, float length, DWORD flags);
DWORD BASSDEF(BASS_ChannelGetData)(DWORD handle, void* buffer, DWORD length);
HSYNC BASSDEF(BASS_ChannelSetSync)(DWORD handle, DWORD type, QWORD param, SYNCPROC* proc, void* user);
BOOL BASSDEF(BASS_ChannelRemoveSync)(DWORD handle, HSYNC sync);
DWORD BASSDEF(BASS_ChannelGetDevice)(DWORD handle);

#ifdef __cplusplus
}
#endif
