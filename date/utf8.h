/*
 * utf8.h - UTF-8 to UTF-32 for basis texts that arrive as UTF-8 (the yrdif
 * command, the bindings).  A byte that does not start a valid sequence
 * stands for itself, so that nothing is lost and every byte string has a
 * reading.
 */
#ifndef DATE_UTF8_H
#define DATE_UTF8_H

#include <stddef.h>
#include <stdint.h>

/* Decodes at most cap characters of s[0 .. len) into out; returns how many
 * were written.  Reads nothing at or past s + len. */
static inline size_t tk_utf8_decode(const char *s, size_t len, uint32_t *out, size_t cap)
{
    size_t n = 0;
    for (size_t i = 0; i < len && n < cap;) {
        unsigned b = (unsigned char)s[i];
        int k = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2
                             : (b & 0xF8) == 0xF0 ? 3 : -1;
        uint32_t c = k == 0 ? b : k == 1 ? (b & 0x1Fu) : k == 2 ? (b & 0x0Fu) : (b & 0x07u);
        int ok = k >= 0 && i + (size_t)k < len;
        for (int j = 1; ok && j <= k; j++) {
            unsigned cb = (unsigned char)s[i + (size_t)j];
            ok = (cb & 0xC0) == 0x80;
            c = (c << 6) | (cb & 0x3Fu);
        }
        if (!ok) {
            out[n++] = b;
            i++;
            continue;
        }
        out[n++] = c;
        i += (size_t)k + 1;
    }
    return n;
}

/* Room for any text as tk_text_shown writes it, its NUL included. */
#define TK_SHOWN_MAX (2 + 4 * TK_SHOWN_BYTES + 3 + 1)
#define TK_SHOWN_BYTES 40

/* A user's text as every message shows it: in quotes, at most 40 bytes
 * (then "..."), each byte that is not printable ASCII, and the backslash,
 * as \xNN.  What it writes is ASCII, so a message cut anywhere is still
 * valid in every encoding.  out has room for TK_SHOWN_MAX bytes; returns
 * out. */
static inline char *tk_text_shown(const char *s, size_t len, char *out)
{
    static const char hex[] = "0123456789ABCDEF";
    size_t o = 0;
    out[o++] = '\'';
    for (size_t i = 0; i < len && i < TK_SHOWN_BYTES; i++) {
        unsigned c = (unsigned char)s[i];
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out[o++] = (char)c;
        } else {
            out[o++] = '\\';
            out[o++] = 'x';
            out[o++] = hex[c >> 4];
            out[o++] = hex[c & 15];
        }
    }
    out[o++] = '\'';
    if (len > TK_SHOWN_BYTES) {
        out[o++] = '.';
        out[o++] = '.';
        out[o++] = '.';
    }
    out[o] = 0;
    return out;
}

#endif /* DATE_UTF8_H */
