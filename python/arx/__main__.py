"""python -m arx: the arx command line."""
from arx.cli import main

main()
