// The tests' PostgreSQL server: a fresh database of their own on it, and URLs whose login fails.
//
// The server is the CTest fixture `postgresql` (tests/support/postgresql_server.sh, started by
// the test `postgresql_start`). It writes its address to a state file whose path reaches the
// tests in the environment variable KAVRIN_TEST_POSTGRESQL_STATE; tests/CMakeLists.txt sets both
// for every test program registered with `kavrin_add_test(... REQUIRES_POSTGRESQL ...)`.
//
// When the server is not there (the variable unset, no state file, no answer) a helper records
// a failure that says so and returns an empty string; the caller ASSERTs on it:
//
//     const QString url = test::freshPostgresqlDatabase();
//     ASSERT_FALSE(url.isEmpty());
#pragma once

#include <QString>

namespace kavrin::test {

inline constexpr const char* kPostgresqlStateVariable = "KAVRIN_TEST_POSTGRESQL_STATE";

// `postgresql://USER@HOST:PORT/DBNAME` of a new, empty database that no other call, in this
// process or another, ever returns; owned by a superuser that logs in without a password. It is
// dropped with the server at the end of the run.
QString freshPostgresqlDatabase();

// The same server as a role that has a password nobody knows: the server refuses its login.
QString refusedPostgresqlUrl();

// 127.0.0.1 at a port nobody listens on: a server that is down. Needs no fixture.
QString downPostgresqlUrl();

} // namespace kavrin::test
