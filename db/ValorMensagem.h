#pragma once

#include "Campo.h"

namespace Firebird {
class IAttachment;
class IMessageMetadata;
class ITransaction;
}

// Turns column i of a message the client filled (a fetched row, or a statement's parameters)
// into the value the program reads. Blobs are read through the attachment; without one, a
// blob column fails.
TCampo LerValorMensagem(Firebird::IMessageMetadata* meta, unsigned i, const unsigned char* linha,
                        Firebird::IAttachment* anexo, Firebird::ITransaction* transacao);
