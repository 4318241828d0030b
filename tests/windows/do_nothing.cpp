// Test-only baseline for the benchmark: a program that starts and ends.
int main()
{
    return 0;
}
