#pragma once
// What the Sound Options dialog offers: the render devices by name, and the programs that
// have windows open now.
#include <string>
#include <vector>

struct TRenderDevice {
    std::string Id;   // the endpoint's ID, which stays the same across restarts
    std::string Name; // its friendly name ("Speakers (High Definition Audio)")
};

// The active render endpoints in the system's order; empty when there are none or they cannot
// be listed. COM must be up on the calling thread.
std::vector<TRenderDevice> ListRenderDevices();

// The image paths of the processes, other than this one, that own a visible top-level window
// with a title, each once (DistinctProgramNames gives their names).
std::vector<std::string> ProgramsWithWindows();
