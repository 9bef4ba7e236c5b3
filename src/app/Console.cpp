#include "app/Console.h"

#include <cstdio>

namespace {
void write(FILE* stream, const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}
} // namespace

namespace Console {
void out(const QByteArray& bytes) {
    write(stdout, bytes);
}
void out(const QString& text) {
    write(stdout, text.toUtf8());
}
void err(const QByteArray& bytes) {
    write(stderr, bytes);
}
void err(const QString& text) {
    write(stderr, text.toUtf8());
}
} // namespace Console
