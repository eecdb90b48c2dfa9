// Preloaded into the i386 Debian's Wine where qemu-i386 runs it: qemu-user
// hands a 32-bit program its fault signals with the trap number -1 in the
// signal context, and Wine reads every such fault as an illegal instruction
// (a null pointer caught by a __try then ends the process). This puts the
// number the kernel would have given back before Wine's handler sees the
// fault, and for an int instruction the error code that names its vector
// (Wine reads the fail-fast, int 0x29, from it; qemu leaves it 0). Built freestanding, without an i386
// C library, by scripts/foreign-wine.sh: no include, raw system calls.

#define SIGILL 4
#define SIGTRAP 5
#define SIGBUS 7
#define SIGFPE 8
#define SIGSEGV 11
#define SIGNALS 65
#define SA_SIGINFO 4
#define SI_KERNEL 0x80
#define FPE_INTDIV 1
#define TRAP_TRACE 2
#define SYS_RT_SIGACTION 174

// The C library's struct sigaction on i386, and the kernel's.
struct user_sigaction {
    void* handler;
    unsigned long mask[32];
    int flags;
    void* restorer;
};

struct kernel_sigaction {
    void* handler;
    unsigned long flags;
    void* restorer;
    unsigned long mask[2];
};

typedef void (*FaultHandler)(int, void*, void*);

static FaultHandler programHandlers[SIGNALS];

// The x86 trap numbers the kernel gives these signals.
static int TrapNumberOf(int signal, int code) {
    switch (signal) {
        case SIGSEGV:
            return code == SI_KERNEL ? 13 : 14;  // general protection, page fault
        case SIGILL:
            return 6;
        case SIGFPE:
            return code == FPE_INTDIV ? 0 : 16;
        case SIGTRAP:
            return code == TRAP_TRACE ? 1 : 3;
        default:
            return 17;  // SIGBUS: alignment check
    }
}

// The context's general registers follow uc_flags, uc_link and uc_stack, in
// the kernel's sigcontext order: ..., trap number, error code, eip, ...
enum { TRAP_NUMBER = 12, ERROR_CODE = 13, EIP = 14, GENERAL_PROTECTION = 13 };

// An int instruction whose vector user code may not call: a general
// protection fault, whose error code names the vector. The instruction is
// read only where the fault was not in fetching it.
static int IsForbiddenInt(const int* information, const int* registers) {
    const int faultAddress = information[3];
    const unsigned char* const instruction = (const unsigned char*)registers[EIP];
    return faultAddress != registers[EIP] && instruction[0] == 0xcd;
}

static void PutTrapNumberBack(int signal, void* info, void* context) {
    const int* const information = (const int*)info;  // signo, errno, code, address
    int* const registers = (int*)((char*)context + 20);
    if (registers[TRAP_NUMBER] == -1) {
        if (signal == SIGSEGV && IsForbiddenInt(information, registers)) {
            const unsigned char vector = ((const unsigned char*)registers[EIP])[1];
            registers[TRAP_NUMBER] = GENERAL_PROTECTION;
            registers[ERROR_CODE] = (vector << 3) | 2;
        } else {
            registers[TRAP_NUMBER] = TrapNumberOf(signal, information[2]);
        }
    }
    programHandlers[signal](signal, info, context);
}

static int IsFault(int signal) {
    return signal == SIGSEGV || signal == SIGILL || signal == SIGFPE || signal == SIGTRAP ||
           signal == SIGBUS;
}

static long RtSigaction(int signal, const struct kernel_sigaction* action,
                        struct kernel_sigaction* old) {
    long result;
    __asm__ volatile("int $0x80"
                     : "=a"(result)
                     : "0"(SYS_RT_SIGACTION), "b"(signal), "c"(action), "d"(old), "S"(8)
                     : "memory");
    return result;
}

// Every handler is set through the kernel as the C library would; a fault
// handler with siginfo is set behind PutTrapNumberBack, and reported as set.
int sigaction(int signal, const struct user_sigaction* action, struct user_sigaction* old) {
    if (signal <= 0 || signal >= SIGNALS) {
        return -1;
    }
    const FaultHandler previous = programHandlers[signal];
    struct kernel_sigaction kernelAction = {0, 0, 0, {0, 0}};
    struct kernel_sigaction kernelOld = {0, 0, 0, {0, 0}};
    if (action != 0) {
        kernelAction.handler = action->handler;
        kernelAction.flags = (unsigned long)action->flags;
        kernelAction.restorer = action->restorer;
        kernelAction.mask[0] = action->mask[0];
        kernelAction.mask[1] = action->mask[1];
        const unsigned long handler = (unsigned long)action->handler;
        if (IsFault(signal) && (action->flags & SA_SIGINFO) != 0 && handler > 1) {
            programHandlers[signal] = (FaultHandler)action->handler;
            kernelAction.handler = (void*)PutTrapNumberBack;
        }
    }
    if (RtSigaction(signal, action != 0 ? &kernelAction : 0, old != 0 ? &kernelOld : 0) < 0) {
        programHandlers[signal] = previous;
        return -1;
    }
    if (old != 0) {
        old->handler = kernelOld.handler == (void*)PutTrapNumberBack ? (void*)previous
                                                                     : kernelOld.handler;
        old->flags = (int)kernelOld.flags;
        old->restorer = kernelOld.restorer;
        for (int word = 0; word < 32; ++word) {
            old->mask[word] = word < 2 ? kernelOld.mask[word] : 0;
        }
    }
    return 0;
}
