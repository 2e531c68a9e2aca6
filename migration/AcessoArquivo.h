#pragma once

#include <string>

// What the user who runs the tool may do to a database file, as the file system sees that
// user. The server opens every file as its own user, for anybody who attaches with the tool's
// fixed profile: without this look, the tool would read and empty any database the server can
// reach, including one its user may not open. Root may do everything.

enum class TAcessoArquivo {
    Leitura,        // the check and the comparison only read
    LeituraEscrita, // a run changes both databases
};

// The sentence that refuses the file to the user, naming the database's role ("ORIGEM",
// "DESTINO"), the file and the right that is missing; empty when the user has that right, or
// when the file system does not say that it is missing (a file that does not exist is the
// server's to report, as for any path).
std::string RecusaAcesso(const std::string& caminho, const std::string& papel,
                         TAcessoArquivo acesso);
