:\Jazz
