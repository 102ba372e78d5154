// The "unicode" protocol: names "unicode:<file>" served by our own I/O context on a file.
#include "UnicodeProtocol.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "FFLoad.h"

namespace {

constexpr int BufferSize = 32768;

struct TUnicodeFile {
  int Handle = -1;
};

int FileOf(void* AOpaque) { return static_cast<TUnicodeFile*>(AOpaque)->Handle; }

bool Interrupted() { return LibraryInterruptCallback(nullptr) != 0; }

int ReadPacket(void* AOpaque, uint8_t* ABuffer, int ASize) {
  if (Interrupted()) return AVERROR_EXIT;
  ssize_t n = ::read(FileOf(AOpaque), ABuffer, static_cast<size_t>(ASize));
  if (n < 0) return -1;
  return n == 0 ? AVERROR_EOF : static_cast<int>(n);
}

int WritePacket(void* AOpaque, uint8_t* ABuffer, int ASize) {
  if (Interrupted()) return AVERROR_EXIT;
  ssize_t n = ::write(FileOf(AOpaque), ABuffer, static_cast<size_t>(ASize));
  return n < 0 ? -1 : static_cast<int>(n);
}

int64_t Seek(void* AOpaque, int64_t APosition, int AWhence) {
  int fd = FileOf(AOpaque);
  AWhence &= ~AVSEEK_FORCE;
  if (AWhence == AVSEEK_SIZE) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
  }
  off_t pos = ::lseek(fd, static_cast<off_t>(APosition), AWhence);
  return pos < 0 ? -1 : static_cast<int64_t>(pos);
}

}  // namespace

bool IsUnicodeURL(const std::string& AURL) {
  return AURL.compare(0, std::strlen(UnicodeProtocolPrefix), UnicodeProtocolPrefix) == 0;
}

std::string UnicodeFileName(const std::string& AURL) {
  std::string name = AURL;
  auto first = name.find(':');
  if (first != std::string::npos) name.erase(0, first + 1);
  auto next = name.find(':');
  if (next != std::string::npos) name.erase(0, next + 1);
  return name;
}

void TUnicodeIODeleter::operator()(AVIOContext* AContext) const {
  auto* file = static_cast<TUnicodeFile*>(AContext->opaque);
  if (FF.avio_flush && AContext->write_flag) FF.avio_flush(AContext);
  if (FF.av_freep) FF.av_freep(&AContext->buffer);
  if (FF.avio_context_free) FF.avio_context_free(&AContext);
  if (file->Handle >= 0) ::close(file->Handle);
  delete file;
}

int OpenUnicodeIO(const std::string& AURL, int AFlags, TUnicodeIOPtr& AContext) {
  AContext.reset();
  bool read = AFlags & AVIO_FLAG_READ, write = AFlags & AVIO_FLAG_WRITE;
  int mode = read && write ? O_RDWR | O_CREAT | O_TRUNC
             : write       ? O_WRONLY | O_CREAT | O_TRUNC
                           : O_RDONLY;
  int fd = ::open(UnicodeFileName(AURL).c_str(), mode | O_CLOEXEC, 0666);
  if (fd < 0) return -2;
  auto* buffer = static_cast<unsigned char*>(FF.av_malloc(BufferSize));
  auto* file = new TUnicodeFile{fd};
  AVIOContext* ctx = buffer ? FF.avio_alloc_context(buffer, BufferSize, write ? 1 : 0, file,
                                                    ReadPacket, WritePacket, Seek)
                            : nullptr;
  if (!ctx) {
    if (buffer) FF.av_free(buffer);
    ::close(fd);
    delete file;
    return AVERROR(ENOMEM);
  }
  AContext.reset(ctx);
  return 0;
}
