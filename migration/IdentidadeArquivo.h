#pragma once

#include <string>

// Which file a database path names, so that two different texts for the same file (a symbolic
// link, "dir/./x.fdb", a hard link, another letter case on a file system that ignores it) are
// known as one. The server runs on this machine, so the file system seen here is its own.

// The path as this process names it, in the form every part of a run passes on: made absolute
// against the caller's working folder, with its symbolic links, "." and ".." resolved as the
// file system resolves them. The server has a working folder of its own, so a relative path
// must never reach it. Its bytes are kept as they are; an empty path stays empty.
std::string CaminhoAbsoluto(const std::string& caminho);

// Whether the two paths name the same file: same device and inode when both can be examined
// here, otherwise the same path once made absolute and normalised.
bool MesmoArquivo(const std::string& a, const std::string& b);

// The path made absolute with its symbolic links, "." and ".." resolved: equal for the usual
// ways of naming one file, for keeping things per database. Unlike a device and inode number
// it is not taken over by another file that reuses a deleted one's inode.
std::string ChaveArquivo(const std::string& caminho);
