/* The MP3 decoding and playback library (VBMP3.dll): plain functions with the platform's
   standard calling convention (the callee removes the arguments), exported by name. One
   file plays at a time; its decoder, output and playing position live inside the library.
   Every function but vbmp3_getFileTagInfo is called from one thread (the main window's).
   A caller that unloads the library calls vbmp3_free first. */
#pragma once

#include <stdint.h>

#ifdef _WIN32
#define VBMP3_CALL __stdcall
#else
#define VBMP3_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Filled by vbmp3_open. */
typedef struct VBMP3_INPUT_INFO {
    int32_t channels;           /* 1 or 2 */
    int32_t samplesPerSecond;   /* Hz */
    int32_t bitrate;            /* kbit/s of the first frame */
    int32_t layer;              /* 1..3 */
    int32_t version;            /* 10 MPEG-1, 20 MPEG-2, 25 MPEG-2.5 */
    int32_t lengthMilliseconds; /* -1 when unknown */
} VBMP3_INPUT_INFO;

#define VBMP3_TAG_TEXT_BYTES 256

/* Filled by vbmp3_getFileTagInfo: NUL-terminated code page 932 texts, empty when absent.
   The title comes first. */
typedef struct VBMP3_TAG_INFO {
    char title[VBMP3_TAG_TEXT_BYTES];
    char artist[VBMP3_TAG_TEXT_BYTES];
    char album[VBMP3_TAG_TEXT_BYTES];
} VBMP3_TAG_INFO;

/* The code the end callback gets when the open file has been played to its end. */
#define VBMP3_END_OF_FILE 4

/* Called from the library's playback thread; it must not call the library. */
typedef void(VBMP3_CALL* VBMP3_CALLBACK)(int32_t code, intptr_t parameter);

/* Every function returns 1 on success and 0 on failure. */
int32_t VBMP3_CALL vbmp3_init(void);
/* 1 when the file is an MPEG audio stream that can be played (the output is then open and
   held until vbmp3_play). */
int32_t VBMP3_CALL vbmp3_open(const char* path, VBMP3_INPUT_INFO* info);
int32_t VBMP3_CALL vbmp3_callback(VBMP3_CALLBACK callback);
/* 0..100 for each channel (larger values count as 100); takes effect at vbmp3_reload. */
int32_t VBMP3_CALL vbmp3_setSoftVolume(int32_t left, int32_t right);
/* Applies the soft volume to the samples decoded from now on. */
int32_t VBMP3_CALL vbmp3_reload(void);
int32_t VBMP3_CALL vbmp3_play(void);
int32_t VBMP3_CALL vbmp3_pause(void);
int32_t VBMP3_CALL vbmp3_restart(void);
int32_t VBMP3_CALL vbmp3_close(void);
/* Between vbmp3_open and vbmp3_play: the playback begins `milliseconds` into the file.
   0 (nothing changes) when no file is open, the position is not inside it, or the file has
   been played since it was opened. */
int32_t VBMP3_CALL vbmp3_seek(int32_t milliseconds);
/* Milliseconds into the open file of the sound played so far; 0 when no file is open. */
int32_t VBMP3_CALL vbmp3_getPosition(int32_t* milliseconds);
int32_t VBMP3_CALL vbmp3_stopCallback(void);
int32_t VBMP3_CALL vbmp3_free(void);
/* 1 when the file has an ID3v2 or ID3v1 tag (the record is then filled); 0 otherwise, with
   the record emptied. May run on any thread, beside the others. */
int32_t VBMP3_CALL vbmp3_getFileTagInfo(const char* path, VBMP3_TAG_INFO* tag);

#ifdef __cplusplus
}
#endif
