:\Snow
