#include "engine/fault_injection.h"

#include <cerrno>
#include <cstdlib>

#ifdef _WIN32
#include <process.h>
#define KVZT_EXIT_NOW ::_exit
#else
#include <unistd.h>
#define KVZT_EXIT_NOW ::_exit
#endif

namespace kvzt::engine {

FaultInjection::FaultInjection() : inner_(&fileIo()), previous_(setFileIo(this)) {}

FaultInjection::~FaultInjection() { setFileIo(previous_); }

void FaultInjection::plan(const FaultPlan& p) {
    plan_ = p;
    count_ = 0;
    fired_ = false;
}

void FaultInjection::clear() { plan_.at = 0; }

int FaultInjection::step(unsigned kind) {
    if ((plan_.kinds & kind) == 0) return 0;
    ++count_;
    const bool hit = plan_.at > 0 && (count_ == plan_.at || (plan_.persistent && fired_ && count_ > plan_.at));
    if (!hit) return 0;
    fired_ = true;
    if (plan_.action == FaultAction::Exit) KVZT_EXIT_NOW(plan_.exitCode);
    return plan_.error ? plan_.error : ENOSPC;
}

int FaultInjection::open(const std::string& path, OpenFlags flags, FileHandle& out) {
    return inner_->open(path, flags, out);
}
void FaultInjection::close(FileHandle file) { inner_->close(file); }
int FaultInjection::read(FileHandle file, void* out, std::size_t size, std::uint64_t offset, std::size_t& done) {
    return inner_->read(file, out, size, offset, done);
}
int FaultInjection::write(FileHandle file, const void* data, std::size_t size, std::uint64_t offset) {
    if (int e = step(IoOps::Write)) return e;
    return inner_->write(file, data, size, offset);
}
int FaultInjection::sync(FileHandle file) {
    if (int e = step(IoOps::Sync)) return e;
    return inner_->sync(file);
}
int FaultInjection::truncate(FileHandle file, std::uint64_t length) {
    if (int e = step(IoOps::Truncate)) return e;
    return inner_->truncate(file, length);
}
int FaultInjection::info(FileHandle file, FileInfo& out) { return inner_->info(file, out); }
int FaultInjection::pathInfo(const std::string& path, FileInfo& out) { return inner_->pathInfo(path, out); }
int FaultInjection::rename(const std::string& from, const std::string& to) {
    if (int e = step(IoOps::Rename)) return e;
    return inner_->rename(from, to);
}
int FaultInjection::remove(const std::string& path) {
    if (int e = step(IoOps::Remove)) return e;
    return inner_->remove(path);
}
int FaultInjection::link(const std::string& existing, const std::string& newPath) {
    if (int e = step(IoOps::Rename)) return e;
    return inner_->link(existing, newPath);
}
int FaultInjection::syncDirectory(const std::string& directory) {
    if (int e = step(IoOps::Sync)) return e;
    return inner_->syncDirectory(directory);
}

}  // namespace kvzt::engine
