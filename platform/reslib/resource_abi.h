#pragma once
/* The one function a resource-only library exports. It answers 1 and sets
   *data and *size to the resource's bytes (owned by the library, valid while
   it stays loaded) when a resource of that type and name exists, 0 otherwise.
   Names are matched without regard to ASCII case. */

#define QZT_RESOURCE_RAW_DATA 10
#define QZT_FIND_RESOURCE_SYMBOL "qzt_find_resource"

#ifdef __cplusplus
extern "C" {
#endif

typedef int (*qzt_find_resource_fn)(int type, const char* name, const unsigned char** data,
                                    unsigned long* size);

#ifdef __cplusplus
}
#endif
