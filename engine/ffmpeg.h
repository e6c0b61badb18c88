// ffmpeg, an outside program found at run time, and the one command line the remux uses.
#pragma once

#include <string>

namespace vonu {

// ffmpeg.exe beside the running program, else the first one in a drive-rooted PATH entry;
// empty when there is none. Any thread.
std::wstring FindFfmpeg();

// "ffmpeg" -y -loglevel error -i "input" -c copy -bsf:a aac_adtstoasc -f mp4 "output"
std::wstring RemuxCommandLine(const std::wstring& ffmpeg, const std::wstring& input, const std::wstring& output);

}  // namespace vonu
