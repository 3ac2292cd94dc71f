"""A virtual X server for the end-to-end tests: started on a free display
number (Xvfb picks it and says which), DISPLAY set to it for what the test
starts next."""
import os
import subprocess


def start(processes, screen="1920x1080x24"):
    """Starts Xvfb, appends it to `processes` (for the test to stop), and
    points DISPLAY at it."""
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", screen,
                             "-nolisten", "tcp", "-noreset"], pass_fds=(write,),
                            stderr=subprocess.DEVNULL)
    processes.append(xvfb)
    os.close(write)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read, 16)
        if not chunk:
            break
        number += chunk
    os.close(read)
    os.environ["DISPLAY"] = ":" + number.decode().strip()
