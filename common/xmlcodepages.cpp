#include "common/xmlcodepages.h"

#include <libxml/encoding.h>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <mutex>
#include <string>

namespace {

// One byte in, one UTF-16 unit out: the code pages here are single-byte, so a chunk
// never ends inside a character.
int DecodeCodePage(UINT codePage, unsigned char* out, int* outlen, const unsigned char* in, int* inlen)
{
    const int inputSize = *inlen;
    const int room = *outlen;
    int read = 0;
    int written = 0;
    while (read < inputSize) {
        wchar_t unit = 0;
        const char byte = static_cast<char>(in[read]);
        if (MultiByteToWideChar(codePage, 0, &byte, 1, &unit, 1) != 1)
            unit = 0xFFFD;
        const unsigned code = unit;
        const int need = code < 0x80 ? 1 : code < 0x800 ? 2 : 3;
        if (written + need > room)
            break;
        if (need == 1) {
            out[written++] = static_cast<unsigned char>(code);
        } else if (need == 2) {
            out[written++] = static_cast<unsigned char>(0xC0 | (code >> 6));
            out[written++] = static_cast<unsigned char>(0x80 | (code & 0x3F));
        } else {
            out[written++] = static_cast<unsigned char>(0xE0 | (code >> 12));
            out[written++] = static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F));
            out[written++] = static_cast<unsigned char>(0x80 | (code & 0x3F));
        }
        ++read;
    }
    *inlen = read;
    *outlen = written;
    return written;
}

template <UINT CodePage>
int Decode(unsigned char* out, int* outlen, const unsigned char* in, int* inlen)
{
    return DecodeCodePage(CodePage, out, outlen, in, inlen);
}

struct CodePage {
    const char* name;
    const char* alias;
    xmlCharEncodingInputFunc decode;
};

const CodePage CodePages[] = {
    {"WINDOWS-1250", "CP1250", Decode<1250>}, {"WINDOWS-1251", "CP1251", Decode<1251>},
    {"WINDOWS-1252", "CP1252", Decode<1252>}, {"WINDOWS-1253", "CP1253", Decode<1253>},
    {"WINDOWS-1254", "CP1254", Decode<1254>}, {"WINDOWS-1255", "CP1255", Decode<1255>},
    {"WINDOWS-1256", "CP1256", Decode<1256>}, {"WINDOWS-1257", "CP1257", Decode<1257>},
    {"WINDOWS-1258", "CP1258", Decode<1258>},
};

void Register()
{
    for (const CodePage& page : CodePages) {
        xmlCharEncodingHandler* known = xmlFindCharEncodingHandler(page.name);
        if (known) {
            xmlCharEncCloseFunc(known);
            continue;
        }
        // libxml2 keeps the handler for the life of the program.
        xmlNewCharEncodingHandler(page.name, page.decode, nullptr);
        xmlAddEncodingAlias(page.name, page.alias);
    }
}

}  // namespace

void RegisterWindowsCodePages()
{
    static std::once_flag once;
    std::call_once(once, Register);
}
