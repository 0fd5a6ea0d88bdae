#include "app/Application.h"

int main(int argc, char** argv)
{
    return sorvex::RunApplication(argc, argv);
}
