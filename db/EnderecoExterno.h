#pragma once

#include "Conexao.h"

#include <optional>
#include <string>

// The source as the destination's server names it when it reads the source itself: the server,
// the port when one is set, a colon and the database path. The path keeps its own bytes, the
// file system's (UTF-8): the server attaches with them as they come, so any file this program
// can attach to is named rightly, also one whose name WIN1252 cannot write. The address
// travels as OCTETS, never converted to the connection's character set.
std::string EnderecoExterno(const TPerfilConexao& perfil, const std::string& banco);

// Where the destination's server reads the source, and how it got there.
struct TLeituraExterna {
    std::string Endereco;
    // The server opened the source itself, in its own process, with no network between:
    // its reads then cost a third less of the server's time, and blobs pass as fast as the
    // rest (over the network each blob makes trips of its own).
    bool SemRede = false;
};

// The address at which the destination's server reads the source, asked of the server. A
// source on the destination's own server (the same server and port) is first tried by its
// path alone, which the server opens in its own process if its configuration lets it; the
// server itself says whether that attachment went without the network. Otherwise, or if the
// server refuses the path, the source's network address. Nothing when the server opens
// neither; the reason, when asked for, is the server's message about the network address.
// Each try is one read of one row, in a transaction of the destination that is rolled back,
// so nothing changes in either database. The loss of the destination's own attachment is no
// answer about the source: it is passed on.
std::optional<TLeituraExterna> EscolherLeituraExterna(TConexao& destino,
                                                      const TPerfilConexao& perfil,
                                                      const std::string& banco,
                                                      std::string* motivo = nullptr);
