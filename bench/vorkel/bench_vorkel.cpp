/* bench_vorkel.cpp - measures, in one run and on one generated program,
   asmbl in process (microseconds per call, source lines per second) and the
   vorkel command against gpasm as whole processes (wall and CPU time).

   bench_vorkel [calls] [process runs] */
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bench_program.h"
#include "harness.h"
#include "vorkel.h"

using Clock = std::chrono::steady_clock;

static double seconds_since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

static void write_file(const std::string &path, const std::string &text)
{
    std::ofstream(path, std::ios::binary) << text;
}

struct ProcessTimes {
    double wall = 0, cpu = 0; /* seconds of one run, medians over the runs */
    int failures = 0;
};

/* One run of argv in folder, output discarded; wall time and the child's
   user + system time. */
static bool run_process(const std::string &folder, const std::vector<const char *> &argv, double *wall, double *cpu)
{
    Clock::time_point start = Clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        if (chdir(folder.c_str()) != 0)
            _exit(127);
        execvp(argv[0], const_cast<char *const *>(argv.data()));
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    *wall = seconds_since(start);
    *cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

static double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

/* The two commands in turns, so that both see the same machine load; each
   in its own folder, since both main sources include "defs.inc". */
static void compare_processes(const std::string &folder, const std::string &gpasm_folder, int runs,
                              ProcessTimes *vorkel, ProcessTimes *gpasm)
{
    std::string include_dir = folder + "/";
    std::vector<const char *> vorkel_argv = {VORKEL_COMMAND, "-I", include_dir.c_str(), "bench.asm", nullptr};
    std::vector<const char *> gpasm_argv = {"gpasm", "-p16f84", "-w", "2", "bench.asm", nullptr};
    std::vector<double> vorkel_wall, vorkel_cpu, gpasm_wall, gpasm_cpu;
    for (int i = 0; i < runs; i++) {
        double wall, cpu;
        vorkel->failures += !run_process(folder, vorkel_argv, &wall, &cpu);
        vorkel_wall.push_back(wall), vorkel_cpu.push_back(cpu);
        gpasm->failures += !run_process(gpasm_folder, gpasm_argv, &wall, &cpu);
        gpasm_wall.push_back(wall), gpasm_cpu.push_back(cpu);
    }
    vorkel->wall = median(vorkel_wall), vorkel->cpu = median(vorkel_cpu);
    gpasm->wall = median(gpasm_wall), gpasm->cpu = median(gpasm_cpu);
}

int main(int argc, char **argv)
{
    int calls = argc > 1 ? std::atoi(argv[1]) : 2000;
    int runs = argc > 2 ? std::atoi(argv[2]) : 40;

    BenchProgram program = generate_bench_program(1211);
    char folder_template[] = "/tmp/bench_vorkel_XXXXXX";
    std::string folder = mkdtemp(folder_template);
    write_file(folder + "/bench.asm", program.main_ours);
    write_file(folder + "/defs.inc", program.include_ours);
    std::string gpasm_folder = folder + "/gpasm";
    mkdir(gpasm_folder.c_str(), 0755);
    write_file(gpasm_folder + "/bench.asm", program.main_gpasm);
    write_file(gpasm_folder + "/defs.inc", program.include_gpasm);
    int lines = count_lines(program.main_ours) + count_lines(program.include_ours);

    std::string keywords = kit_keywords();
    std::string text = crlf(program.main_ours);
    std::string include_dir = folder + "/";
    AsmResult *r = init_vorkel();
    r->keyword_list = keywords.c_str();
    r->include_dir = include_dir.c_str();
    r = asmbl("bench.asm", text.c_str(), 0);
    int words = 0;
    for (int a = 0; a < 1024; a++)
        words += r->program_image[a] != 0x3FFF;
    std::printf("program: %d source lines (%d in the include file), %d program words\n", lines,
                count_lines(program.include_ours), words);
    if (r->message_text[0])
        std::printf("messages:\n%s", r->message_text);

    Clock::time_point start = Clock::now();
    for (int i = 0; i < calls; i++)
        asmbl("bench.asm", text.c_str(), 0);
    double per_call = seconds_since(start) / calls;
    std::printf("asmbl in process: %.1f us per call, %.0f source lines/s (%d calls)\n", per_call * 1e6,
                lines / per_call, calls);
    done();

    ProcessTimes vorkel, gpasm;
    compare_processes(folder, gpasm_folder, runs, &vorkel, &gpasm);
    std::printf("whole process, median of %d runs each:\n", runs);
    std::printf("  vorkel: %.2f ms wall, %.2f ms CPU%s\n", vorkel.wall * 1e3, vorkel.cpu * 1e3,
                vorkel.failures ? " (failed runs)" : "");
    std::printf("  gpasm:  %.2f ms wall, %.2f ms CPU%s\n", gpasm.wall * 1e3, gpasm.cpu * 1e3,
                gpasm.failures ? " (failed runs)" : "");
    std::printf("  vorkel / gpasm: %.2f wall, %.2f CPU\n", vorkel.wall / gpasm.wall, vorkel.cpu / gpasm.cpu);
    std::system(("rm -rf '" + folder + "'").c_str());
    return 0;
}
