// Writes small generated pages for the fuzz corpus: a text-like pattern at 1, 8
// and 32 bits in the stored formats the program meets (none, Group 3, Group 4,
// LZW, Deflate, PackBits, JPEG), and a two-page file.
#include <leptonica/allheaders.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-seeds FOLDER\n");
        return 2;
    }
    setMsgSeverity(L_SEVERITY_NONE);
    const std::string folder = argv[1];
    PIX* gray = pixCreate(96, 64, 8);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 96; ++x) pixSetPixel(gray, x, y, ((x / 6 + y / 9) % 3) ? 230 : 20 + x);
    PIX* bits = pixThresholdToBinary(gray, 128);
    PIX* colour = pixConvertTo32(gray);
    struct Seed {
        PIX* pix;
        int format;
        const char* name;
    } seeds[] = {
        {bits, IFF_TIFF, "bits-none"},
        {bits, IFF_TIFF_G3, "bits-g3"},
        {bits, IFF_TIFF_G4, "bits-g4"},
        {bits, IFF_TIFF_RLE, "bits-rle"},
        {gray, IFF_TIFF_LZW, "gray-lzw"},
        {gray, IFF_TIFF_ZIP, "gray-zip"},
        {gray, IFF_TIFF_PACKBITS, "gray-packbits"},
        {colour, IFF_TIFF_JPEG, "colour-jpeg"},
        {colour, IFF_TIFF_LZW, "colour-lzw"},
    };
    int written = 0;
    for (const Seed& s : seeds)
        written += pixWrite((folder + "/" + s.name + ".tif").c_str(), s.pix, s.format) == 0;
    const std::string twoPages = folder + "/two-pages.tif";
    written += pixWriteTiff(twoPages.c_str(), bits, IFF_TIFF_G4, "w") == 0 &&
               pixWriteTiff(twoPages.c_str(), gray, IFF_TIFF_LZW, "a") == 0;
    pixDestroy(&gray);
    pixDestroy(&bits);
    pixDestroy(&colour);
    std::printf("%d seed pages written\n", written);
    return written > 0 ? 0 : 1;
}
