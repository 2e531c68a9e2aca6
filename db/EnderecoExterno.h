#pragma once

#include "Conexao.h"

#include <string>

// The source as the destination's server names it when it reads the source itself: the server,
// the port when one is set, a colon and the database path. The path keeps its own bytes, the
// file system's (UTF-8): the server attaches with them as they come, so any file this program
// can attach to is named rightly, also one whose name WIN1252 cannot write. The address
// travels as OCTETS, never converted to the connection's character set.
std::string EnderecoExterno(const TPerfilConexao& perfil, const std::string& banco);

// Whether the destination's server opens the source at that address, as that user, for an
// external read: one read of one row, in a transaction of the destination that is rolled back,
// so nothing changes in either database. Any failure is a no; the reason, when asked for,
// is the server's message.
bool ServidorAbreOrigem(TConexao& destino, const std::string& endereco,
                        const TPerfilConexao& perfil, std::string* motivo = nullptr);
