// The program's entry point: checks for a display, then loads the window
// Startup, whose Form_Load carries the start-up.
int main()
{
    return 0;
}
