#include "ReplicacaoCampo.h"

#include <utility>

TReplicacaoCampo::TReplicacaoCampo(std::string nome) : FNome(std::move(nome)) {}
