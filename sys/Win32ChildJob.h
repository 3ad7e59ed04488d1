#pragma once
// The job object that an unattended run's children run in. It is made on first use and
// ends every process in it when its handle is closed (JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE):
// when this object is destroyed, and at the latest when the run's process ends, so that
// no printer-setup command or Setup64.exe outlives the run that started it. The window
// program starts no process through it.

#include <cstdint>

namespace sys {

class Win32ChildJob {
public:
    Win32ChildJob() = default;
    ~Win32ChildJob();
    Win32ChildJob(const Win32ChildJob&) = delete;
    Win32ChildJob& operator=(const Win32ChildJob&) = delete;

    // Puts the process (a HANDLE, started suspended so that it has started nothing yet)
    // into the job; ERROR_SUCCESS (0) or the error of the call that failed. Before
    // Windows 8 a process that itself runs in a job (deployment agents start installers
    // in one) cannot put its children into a job of its own unless the outer job allows
    // breakaway: AssignProcessToJobObject then fails with ERROR_ACCESS_DENIED.
    uint32_t Assign(void* process);
    // Ends a process that outlived its bound: with every process in the job
    // (TerminateJobObject) when it was put into it, else alone (TerminateProcess); then
    // waits, a few seconds at most, until it has gone. False, with the last-error code
    // set, when it could not be ended.
    bool End(void* process, bool inJob);

private:
    void* job_ = nullptr;  // HANDLE of the job, once made
};

}  // namespace sys
