#pragma once

// Window messages the application's windows exchange. Numbers start at the first message
// number the platform leaves to applications (1024), so that they never collide with its own.
inline constexpr unsigned WM_REPLICACAO_TABELA = 1024 + 2;
