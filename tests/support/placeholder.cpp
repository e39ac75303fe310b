// shared test helpers live beside this file
