// The machine's own tools (ffprobe, ffmpeg, ImageMagick) run from inside Wine, for tests that
// check files the way other programs read them.
#pragma once
#include <string>

// The Unix path of a path on the drive Wine maps to the Unix root (Z:).
std::wstring UnixPath(const std::wstring& windowsPath);
// Runs a shell command line of the machine and gives its output (standard output and errors),
// or "<none>" when the command cannot run here. (Wine starts Unix programs but does not connect
// their output to our pipes: it goes through a file.)
std::string RunHost(const std::wstring& command);
// Whether ffprobe and ffmpeg can be run here (asked once; said once when not).
bool HostHasFfmpeg();
