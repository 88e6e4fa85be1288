/* What every example shares: the controller's address from the command line
 * (--host, --port, --model; arx-sim's defaults), one connection, and one
 * progress line per step with its round-trip time. */
#ifndef ARX_EXAMPLE_H
#define ARX_EXAMPLE_H

#include "arx_api.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

typedef struct {
    char host[64];
    int port;
    int model;
    int failures;
    SOCKHANDLE arm;
} Example;

static double example_now_ms(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

/* Parses the options, initialises the library (with `callback`, which may be
 * NULL) and connects; exits on failure, an unknown model name included. */
static Example example_start_with(int argc, char** argv, ArxCallback callback) {
    Example ex = {"127.0.0.1", 8080, ARM_MODEL_A, 0, 0};
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!strcmp(argv[i], "--host"))
            snprintf(ex.host, sizeof ex.host, "%s", argv[i + 1]);
        else if (!strcmp(argv[i], "--port"))
            ex.port = atoi(argv[i + 1]);
        else if (!strcmp(argv[i], "--model")) {
            ex.model = Arx_Arm_Model_From_Name(argv[i + 1]);
            if (ex.model < 0) {
                fprintf(stderr, "unknown arm model %s: A, B, C1 or C2\n", argv[i + 1]);
                exit(2);
            }
        }
    }
    Arx_API_Init(ex.model, callback);
    ex.arm = Arm_Socket_Start(ex.host, ex.port, 200);
    if (ex.arm <= 5 || ex.arm == ARX_START_FAILED_HANDLE) {
        fprintf(stderr, "cannot connect to %s:%d (code %d)\n", ex.host, ex.port, (int)ex.arm);
        exit(1);
    }
    return ex;
}

static Example example_start(int argc, char** argv) { return example_start_with(argc, argv, NULL); }

/* Runs one step: prints its name, result code and round-trip time. */
#define STEP(ex, name, call)                                                                                   \
  do {                                                                                                         \
    const double step_start_ = example_now_ms();                                                               \
    const int step_rc_ = (call);                                                                               \
    printf("%-34s %s  %7.1f ms\n", name, step_rc_ == 0 ? "ok    " : "FAILED", example_now_ms() - step_start_); \
    if (step_rc_ != 0) printf("    result code %d\n", step_rc_), (ex)->failures++;                             \
  } while (0)

/* Closes the connection; the exit status: 0 only when every step succeeded. */
static int example_finish(Example* ex) {
    Arm_Socket_Close(ex->arm);
    return ex->failures == 0 ? 0 : 1;
}

#endif
