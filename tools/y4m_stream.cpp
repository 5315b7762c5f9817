// y4m_stream.cpp -- YUV4MPEG2 header and frame records.
#include "y4m_stream.h"

std::string y4mHeader(int width, int height, int fps)
{
    // C420jpeg: chroma sited between the four luma samples it covers, as the 2 x 2 mean
    // puts it. XCOLORRANGE is the extension ffmpeg reads for the luma range.
    return "YUV4MPEG2 W" + std::to_string(width) + " H" + std::to_string(height) + " F" + std::to_string(fps) +
           ":1 Ip A1:1 C420jpeg XCOLORRANGE=LIMITED\n";
}

bool writeY4mFrame(FILE* stream, const unsigned char* yuv, size_t size)
{
    static const char MARKER[] = "FRAME\n";
    return fwrite(MARKER, 1, sizeof MARKER - 1, stream) == sizeof MARKER - 1 && fwrite(yuv, 1, size, stream) == size;
}
