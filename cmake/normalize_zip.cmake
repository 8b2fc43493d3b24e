# Run by cpack after it has made a zip: writes the zip again with nothing of the machine that
# made it. Each entry keeps its name, bytes and mode; its time becomes the release's date
# (SOURCE_DATE_EPOCH, in UTC, since a zip's times are local ones), and the extra fields in
# which the archiver keeps the owner's user and group numbers are left out.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "\\.zip$")
    continue()
  endif()
  execute_process(COMMAND python3 -c [[
import os, sys, time, zipfile
path, epoch = sys.argv[1], int(os.environ["SOURCE_DATE_EPOCH"])
when = time.gmtime(max(epoch, 315532800))[:6]  # a zip's times start in 1980
with zipfile.ZipFile(path) as old:
    entries = [(info, old.read(info)) for info in old.infolist()]
with zipfile.ZipFile(path + ".new", "w", zipfile.ZIP_DEFLATED, compresslevel=9) as new:
    for info, data in sorted(entries, key=lambda entry: entry[0].filename):
        entry = zipfile.ZipInfo(info.filename, when)
        entry.create_system = 3
        entry.external_attr = info.external_attr & 0xFFFF0000
        entry.compress_type = zipfile.ZIP_STORED if info.is_dir() else zipfile.ZIP_DEFLATED
        new.writestr(entry, data)
os.replace(path + ".new", path)
]] ${package} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
