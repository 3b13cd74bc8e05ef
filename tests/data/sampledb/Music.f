":"
":\Jazz"
