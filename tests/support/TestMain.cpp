#include <windows.h>

#include <gtest/gtest.h>

// Under Wine a crashing program sometimes exits with code 0; a crash must never pass.
static LONG WINAPI TerminateOnCrash(EXCEPTION_POINTERS* info) {
    std::fprintf(stdout, "\nCRASH: unhandled exception 0x%08lx\n",
                 static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode));
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 99);
    return EXCEPTION_EXECUTE_HANDLER;
}

int main(int argc, char** argv) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(TerminateOnCrash);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS() == 0 ? 0 : 1;
}
