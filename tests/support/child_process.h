#pragma once
// Another process running a body of this same test program, on Linux and on
// Windows alike (no fork): the test program is started again with a filter
// that runs only the body's test. A body is a disabled test of the suite
// ChildBodies, so it never runs on its own:
//
//   TEST(ChildBodies, DISABLED_HoldTable) {
//       if (!kvzt::test::isChild()) return;
//       ... open something with kvzt::test::childArgument() ...
//       kvzt::test::childReady();
//       kvzt::test::waitToBeKilled();
//   }
//   ChildProcess holder("HoldTable", dir.path());
//   ASSERT_TRUE(holder.ready());
//   ...
//   holder.kill();   // ends it at once, as a crash or a power cut would

#include <string>

namespace kvzt::test {

class ChildProcess {
public:
    // Starts ChildBodies.DISABLED_<body> with `argument`; waits until the
    // body calls childReady() or ends.
    ChildProcess(const std::string& body, const std::string& argument);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // True when the body reached childReady() (false when it ended first).
    bool ready() const { return ready_; }
    // Ends the process at once, without any clean-up of its own.
    void kill();
    // Waits for the end of a body that ends by itself; its exit code.
    int wait();

private:
    std::string readyFile_;
    bool ready_ = false;
    bool running_ = false;
#ifdef _WIN32
    void* process_ = nullptr;
#else
    int pid_ = -1;
#endif
};

// In a body: whether this process is a child started by ChildProcess, and
// the argument it was given.
bool isChild();
std::string childArgument();
void childReady();
[[noreturn]] void waitToBeKilled();

}  // namespace kvzt::test
