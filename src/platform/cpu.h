// The processors this process may run on.
#pragma once

/// The CPUs the process may use: those of its affinity mask (a container's
/// or taskset's limit), else the machine's count; at least 1.
int UsableCpuCount();
