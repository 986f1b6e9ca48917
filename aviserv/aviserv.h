/* The interface of the AVIServ library, shared by the library and the programs that load it.
 * The programs load AVIServ.so with dlopen, look up the five entries by name and call them in
 * this order: AVI_Init, OpenAVIforWrite, AddFrameToAVI for every frame, CloseAVIStreams,
 * AVI_Quit. Plain C so that any language can call it. A library may also offer AddSoundToAVI
 * (looked up by name; older libraries lack it and write pictures only). */
#ifndef MORVEL_AVISERV_H
#define MORVEL_AVISERV_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The file name of the library, looked for in the program's own folder. */
#define AVISERV_FILE_NAME "AVIServ.so"

/* The environment variable that chooses the video codec: "mjpeg" (the default: Motion-JPEG
 * at high quality), "ffv1" (lossless FFV1) or "rgb" (uncompressed 24-bit RGB). */
#define AVISERV_CODEC_VARIABLE "AVISERV_CODEC"

/* The writer record passed to OpenAVIforWrite: 20 bytes, little-endian. */
typedef struct AviWriterRecord {
    int32_t width; /* of every frame, in pixels */
    int32_t height;
    uint32_t reserved0; /* always 0 */
    uint32_t reserved1; /* always 0 */
    int8_t frameRate;   /* frames per second, 1 to 127 */
    uint8_t padding[3]; /* always 0, so that the rate also reads as a 32-bit value */
} AviWriterRecord;

/* A picture handed to AddFrameToAVI: rows top to bottom, 3 bytes per pixel in the order red,
 * green, blue, each row starting stride bytes after the one before. */
typedef struct AviBitmap {
    int32_t width;
    int32_t height;
    int32_t stride;
    const uint8_t* pixels;
} AviBitmap;

/* The sound track handed to AddSoundToAVI: interleaved 16-bit samples of the whole video. */
typedef struct AviSound {
    int32_t sampleRate; /* sample frames per second */
    int32_t channels;   /* 1 or 2 */
    int64_t frames;     /* sample frames */
    const int16_t* samples;
} AviSound;

/* Every entry returns 0 when the call failed or came in the wrong order. */

/* Prepares the library: non-zero = ready. */
int32_t AVI_Init(void);
/* Creates the video at path (zero-terminated): non-zero = opened. */
int32_t OpenAVIforWrite(const char* path, const AviWriterRecord* record);
/* Adds one frame of the record's size; flags is -1. Exactly 1 = added. */
int32_t AddFrameToAVI(const AviBitmap* bitmap, int32_t flags);
/* Optional: gives the video opened last a PCM sound stream holding the whole track, written
 * beside the frames as they are added. Only between OpenAVIforWrite and the first frame; the
 * library keeps its own copy. 1 = the video will carry the sound. */
int32_t AddSoundToAVI(const AviSound* sound);
/* Finishes and closes the video: 1 = the file is complete. */
int32_t CloseAVIStreams(void);
/* Releases the library (closing a video still open): 1 = it was ready. */
int32_t AVI_Quit(void);

typedef int32_t (*AVI_InitFunction)(void);
typedef int32_t (*OpenAVIforWriteFunction)(const char*, const AviWriterRecord*);
typedef int32_t (*AddFrameToAVIFunction)(const AviBitmap*, int32_t);
typedef int32_t (*AddSoundToAVIFunction)(const AviSound*);
typedef int32_t (*CloseAVIStreamsFunction)(void);
typedef int32_t (*AVI_QuitFunction)(void);

#ifdef __cplusplus
}

static_assert(sizeof(AviWriterRecord) == 20, "the writer record is 20 bytes");
static_assert(__builtin_offsetof(AviWriterRecord, frameRate) == 16, "frame rate at offset 16");
#endif

#endif
