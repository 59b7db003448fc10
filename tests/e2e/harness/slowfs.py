#!/usr/bin/python3
"""A folder seen through a file system whose reads answer late on demand:
a disk that spun down, a stick, a share.

    slowfs.py SOURCE MOUNT CONTROL [LIFETIME]

Shows the files of SOURCE under MOUNT, read only. Before each read it reads
CONTROL: a line "NAME SECONDS" makes every read of the file NAME answer that
many seconds late ("*" for every file), "NAME hold" holds its reads until
the line is gone. Mounted with direct_io, so that every read comes here. It
unmounts and ends by itself after LIFETIME seconds (600 unless given).
"""
import errno
import os
import subprocess
import sys
import threading
import time

from fusepy import FUSE, FuseOSError, Operations


class SlowFolder(Operations):
    def __init__(self, source, control):
        self.source = source
        self.control = control

    def _path(self, path):
        return os.path.join(self.source, path.lstrip("/"))

    def _wait(self, name):
        while True:
            rules = {}
            try:
                with open(self.control) as f:
                    for line in f:
                        parts = line.split()
                        if len(parts) == 2:
                            rules[parts[0]] = parts[1]
            except OSError:
                pass
            rule = rules.get(name, rules.get("*"))
            if rule != "hold":
                if rule:
                    time.sleep(float(rule))
                return
            time.sleep(0.02)

    def getattr(self, path, fh=None):
        st = os.lstat(self._path(path))
        keys = ("st_mode", "st_size", "st_nlink", "st_uid", "st_gid", "st_atime", "st_mtime", "st_ctime")
        return {k: getattr(st, k) for k in keys}

    def readdir(self, path, fh):
        return [".", ".."] + os.listdir(self._path(path))

    def open(self, path, flags):
        if flags & (os.O_WRONLY | os.O_RDWR):
            raise FuseOSError(errno.EROFS)
        return os.open(self._path(path), os.O_RDONLY)

    def read(self, path, size, offset, fh):
        self._wait(os.path.basename(path))
        return os.pread(fh, size, offset)

    def release(self, path, fh):
        os.close(fh)
        return 0


def main():
    source, mount, control = sys.argv[1:4]
    lifetime = float(sys.argv[4]) if len(sys.argv) > 4 else 600

    def end():
        time.sleep(lifetime)
        subprocess.run(["fusermount3", "-u", "-z", mount])
        os._exit(0)

    threading.Thread(target=end, daemon=True).start()
    FUSE(SlowFolder(source, control), mount, foreground=True, ro=True, direct_io=True, allow_other=True)


if __name__ == "__main__":
    main()
