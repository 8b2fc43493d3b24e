#!/usr/bin/env bash
# Succeeds when wine can run the 32-bit desktop platform's programs on this host. Wine's
# 32-bit loader is itself a 32-bit Linux program, which a kernel built without 32-bit support
# refuses ("Exec format error"); then nothing of the desktop build can run here.
command -v wine >/dev/null 2>&1 && WINEDEBUG=-all wine --version >/dev/null 2>&1
