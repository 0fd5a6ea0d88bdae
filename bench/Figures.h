#pragma once

#include "bench/BenchSupport.h"

#include <string>
#include <vector>

namespace bench {

// Where the scratch files go: memory on tmpfs (/dev/shm), disk in the build folder.
struct Places {
    std::string memory;
    std::string disk;
};

// Fewer rounds of everything (--quick).
extern bool quick;
inline int Rounds(int full, int fewer)
{
    return quick ? fewer : full;
}

// Progress on stderr while a part runs: stdout carries the table (and a
// window child's rows).
void Say(const std::string& what);

// Each part of the bench, as --only names it.
std::vector<Row> WipeFigures(const Places& places); // wipe
std::vector<Row> PumpFigures(const Places& places); // pumps
std::vector<Row> StopFigures(const Places& places); // stop
std::vector<Row> WindowFigures(const Places& places); // window: needs a real window system
std::vector<Row> CheckFigures(const Places& places); // checks
std::vector<Row> ExpansionFigures(const Places& places); // expansion
std::vector<Row> ListFigures(const Places& places); // list
std::vector<Row> LinkFigures(const Places& places); // links
std::vector<Row> FreeSpaceFigures(const Places& places); // freespace: needs root
std::vector<Row> MemoryFigures(); // memory
std::vector<Row> DepthFigures(const Places& places); // depth

} // namespace bench
