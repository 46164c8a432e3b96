/* The Ogg Vorbis decoder of Debian's libstb-dev, compiled once for OggDecode.cpp. Third-party
   code: its warnings are not ours (the build silences them for this file alone). */
#define STB_VORBIS_NO_STDIO
#define STB_VORBIS_NO_PUSHDATA_API
#include <stb/stb_vorbis.h>
