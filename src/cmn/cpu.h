// The processor record and the probes behind it, with the clock-rate
// measurement whose result chooses the movie's decode level.
#pragma once

#include <atomic>
#include <cstdint>

struct ProcessorRecord {
    char vendor[13];
    uint32_t maxfunction;
    uint32_t family, model, stepping;
    bool family5, family6; // family at least 5, at least 6
    bool mmx, bit31, tsc, cmov;
    bool intel, amd, cyrix;
    bool detected;
};
extern ProcessorRecord libcpu;
// The processor clock in Hz, 0 until measured (64 bits: clocks pass 4.29 GHz).
extern std::atomic<uint64_t> libcpuhz;

void detectcpu();
// The measured clock snapped to a nominal rate; needs the timer running.
uint64_t getcpuspeed();
uint64_t getclockrate();
uint64_t getclockrateloop();
// The nominal clock in Hz for a measured one, taken in whole MHz: multiples
// of 30, 33 1/3 and 37.5 MHz, a candidate below the measurement costing
// eight times as much.
uint64_t nominalcpuclock(uint64_t measuredhz);

// Probes: CPUID exists; one CPUID leaf as EAX, EBX, EDX, ECX; the division
// flags test that tells the processors without CPUID apart.
int cpuidsupported();
void cpuidquery(uint32_t out[4], uint32_t leaf);
int cpuflagscheck();
