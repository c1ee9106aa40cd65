#pragma once
/* The URC's device-access library: eight functions, each returning one byte
 * (non-zero = true). Texts passed in are zero-terminated 8-bit strings; buffers
 * are zero-filled byte arrays owned by the caller, of the sizes given below.
 * Addresses are passed as two texts of two upper-case hexadecimal digits, high
 * byte first. Memory is read in blocks of 8 bytes and comes back as text, two
 * hexadecimal digits per byte, in address order. Safe to call from several
 * threads at once. */
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
    TOVQEL_VERSION_BUFFER = 250,   /* ReadVersion */
    TOVQEL_CAPTURE_BUFFER = 10240, /* RCollectCodeInfo */
    TOVQEL_IDENTITY_BUFFER = 1024  /* RBasicInfo */
};

/* True while a URC is connected. */
uint8_t link_state(void);
/* Fills a 250-byte buffer with the version text. */
uint8_t ReadVersion(char* buffer);
/* Reads `blocks` blocks of 8 bytes from address high:low into buffer, which
 * must hold at least 16 x blocks bytes; `unit` is the fixed text "08". */
uint8_t readdatav20(char* buffer, int32_t blocks, const char* high, const char* low,
                    const char* unit);
/* Writes the bytes given as hexadecimal text from address high:low on. */
uint8_t writedatav20(const char* selector, const char* high, const char* low, const char* data);
/* Puts the URC into capture mode. */
uint8_t SetCodeCarrierWave(void);
/* Fills a 10240-byte buffer with a captured code; false while none is there. */
uint8_t RCollectCodeInfo(char* buffer);
/* Fills a 1024-byte buffer with the URC's identity text. */
uint8_t RBasicInfo(char* buffer);
/* Sends code-type data; no operation of the program uses it. */
uint8_t WCodeTypeData(const char* data);

#ifdef __cplusplus
}
#endif
