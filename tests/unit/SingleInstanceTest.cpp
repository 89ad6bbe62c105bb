#include "app/SingleInstance.h"
#include <doctest/doctest.h>

using namespace typa;

TEST_CASE("The start token is named after the program file")
{
    CHECK(StartSemaphoreName("TYPA.EXE") == "TYPA.EXEStartSemaphore");
    CHECK(StartSemaphoreName("Copie.exe") == "Copie.exeStartSemaphore");
}

TEST_CASE("The token exists exactly while the first holder keeps it")
{
    const std::string name = StartSemaphoreName("TypariumTest.exe");
    bool running = true;
    UniqueKernelHandle first = CreateStartSemaphore(name, running);
    CHECK(first);
    CHECK_FALSE(running);

    UniqueKernelHandle second = CreateStartSemaphore(name, running);
    CHECK(running);
    CHECK_FALSE(second); // the second handle is given back at once

    UniqueKernelHandle other = CreateStartSemaphore(StartSemaphoreName("Autre.exe"), running);
    CHECK_FALSE(running); // another file name is another program

    first.Reset();
    UniqueKernelHandle again = CreateStartSemaphore(name, running);
    CHECK_FALSE(running);
    CHECK(again);
}
