#!/usr/bin/python3
# Carries the state corpus to a new state version: each file's body is kept
# as it is (its damage with it) and sealed under the version given, its
# checksum made anew only where it matched before, so that a state damaged
# by its checksum stays so. "other-version", "not-a-state" and states cut
# inside the header are left alone. Needs Debian's python3-xxhash.
#
#   fuzz/reseal_states.py VERSION
import struct, sys, pathlib, xxhash

SEED = 0x7374617465010000
version = int(sys.argv[1])
for path in sorted(pathlib.Path(__file__).parent.joinpath("corpus/state").iterdir()):
    data = path.read_bytes()
    if path.name in ("other-version", "not-a-state") or len(data) < 28 or not data.startswith(b"VXSTATE\n"):
        continue
    size, checksum = struct.unpack_from("<QQ", data, 12)
    body = data[28:]
    if checksum == xxhash.xxh3_64_intdigest(body, SEED):
        checksum = xxhash.xxh3_64_intdigest(body, SEED)
    path.write_bytes(data[:8] + struct.pack("<I", version) + struct.pack("<QQ", size, checksum) + body)
    print(path.name)
