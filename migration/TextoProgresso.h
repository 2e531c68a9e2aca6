#pragma once

#include "SituacaoExecucao.h"

#include <string>

// The progress texts both programs show, from one reading of the run's situation.
class TTextoProgresso {
public:
    // The work under way: a table copy as rows done of its total, share, rate and time left;
    // any other work as its text and the seconds it has taken so far, so that a long single
    // statement still shows life.
    static std::string Atual(const TSituacaoExecucao& situacao);
    // The run as a whole: the time elapsed and, once the copy has a rate, an estimate of what
    // remains; after the end, the time it took.
    static std::string Total(const TSituacaoExecucao& situacao);
    // Seconds as H:MM:SS.
    static std::string Duracao(double segundos);
};
